// Writes a cabinet from files on disk, streaming: memory stays at a few MiB
// whatever the size of the product.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "pack_fs.h"

struct TCabInput {
  std::string storedName;  // as the cabinet stores it, folders separated by '\'
  std::string sourcePath;  // where the bytes come from
  uint64_t size = 0;       // bytes expected; a file that changes meanwhile is an error
  uint16_t date = 0, time = 0, attribs = 0;
  // When set, the bytes to store (a text converted for the setup program)
  // instead of the file's; `size` is theirs.
  const std::vector<uint8_t>* content = nullptr;
};

// zlib level 4: on a mixed product (text, programs, compressed data) it gives
// cabinets within a percent of gcab's for about 60% of level 6's time; the
// history carried across blocks makes up for the lighter search.
const int kDefaultMszipLevel = 4;

typedef void (*CabProgress)(void* context, uint64_t done, uint64_t total);

struct TCabWriteOptions {
  bool compress = true;   // MSZIP; false: stored (type none)
  int level = kDefaultMszipLevel;  // zlib level for MSZIP
  unsigned threads = 0;   // 0: one per processor
  // Files share a folder while the folder's input stays within this many
  // bytes; a larger file gets a folder of its own. Reading one file then
  // decodes at most this much of other files.
  uint64_t sharedFolderBytes = 65536;
  bool scramble = false;  // store the first 128 bytes scrambled, as in a package
  CabProgress progress = nullptr;
  void* progressContext = nullptr;
  // When set, receives each folder's bytes in the cabinet (its data blocks).
  std::vector<uint64_t>* folderStoredBytes = nullptr;
};

// The folder each input goes to, in input order: folder numbers only grow.
std::vector<uint32_t> Cab_PlanFolders(const std::vector<TCabInput>& inputs,
                                      uint64_t sharedFolderBytes);

// Writes the cabinet for `inputs`, in their order, into `out` from position
// `at` on (the file's current end). `outName` names `out` in messages. Fails,
// naming the file and the reason, on a read or write error, a source file that
// changed size, or a cabinet beyond the format's limits.
bool Cab_Write(const std::vector<TCabInput>& inputs, const TCabWriteOptions& options, TFile* out,
               const std::string& outName, uint64_t at, uint64_t* cabinetSize, std::string* error);
