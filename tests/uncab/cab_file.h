// A minimal reader and writer of cabinet files for the decoder tests: enough
// to take the data blocks out of the sample cabinets and to wrap encoded
// blocks for a peer extractor. Checksums are neither checked nor written.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "block_codec.h"

struct TCabFolder {
  uint16_t typeCompress = 0;
  std::vector<TEncodedBlock> blocks;
};

struct TCabFileEntry {
  std::string name;
  uint32_t size = 0;
  uint32_t offset = 0;  // in the folder's output
  uint16_t folder = 0;
};

struct TCabinet {
  std::vector<TCabFolder> folders;
  std::vector<TCabFileEntry> files;
  bool filesRead = false;  // the file entries were intact
};

// False when the header, a folder entry or a data block is cut off or lies
// outside the file. File entries are read when intact (filesRead).
bool ParseCabinet(const std::vector<uint8_t>& bytes, TCabinet* cab);

// One file per folder, named "f0", "f1", ...; `sizes` are the files' sizes.
std::vector<uint8_t> BuildCabinet(const std::vector<TCabFolder>& folders,
                                  const std::vector<uint32_t>& sizes);
