// The one cabinet writer of the tests. It builds cabinets byte by byte, so it
// can make shapes no packer makes: reserved areas, several folders of any
// compression type, sets of cabinets with split blocks, odd names and
// deliberately broken fields. Checksums are right unless a block asks
// otherwise. BuildStoredCabinet is its short form for a list of files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "uncab/cab_format.h"  // the flag and folder-index values the fields take
#include "uncab/decoders.h"    // compression types

namespace cabbuild {

struct Block {
  std::vector<uint8_t> data;  // as stored (compressed for a compressed folder)
  uint16_t cbUncomp = 0;
  enum Sum { kRight, kZero, kWrong } sum = kRight;
};

struct Folder {
  uint16_t type = 0;  // typeCompress as stored
  std::vector<Block> blocks;
};

struct File {
  std::string name;
  uint32_t size = 0;
  uint32_t offset = 0;
  uint16_t iFolder = 0;
  uint16_t date = 0x5A21, time = 0x6B82, attribs = 0x20;
};

struct Cabinet {
  uint16_t flags = 0, setID = 0x1234, iCabinet = 0;
  std::string prevCab, prevDisk, nextCab, nextDisk;
  std::vector<uint8_t> headerReserve;
  uint8_t folderReserve = 0, dataReserve = 0;
  bool reserve = false;  // write the reserve-size fields even when all are 0
  std::vector<Folder> folders;
  std::vector<File> files;
  uint8_t versionMajor = 1, versionMinor = 3;
  int64_t cbCabinetOverride = -1;

  std::vector<uint8_t> Build() const;

  static void Put16(std::vector<uint8_t>& o, uint16_t v);
  static void Put32(std::vector<uint8_t>& o, uint32_t v);
  static void Set16(std::vector<uint8_t>& o, size_t at, uint16_t v);
  static void Set32(std::vector<uint8_t>& o, size_t at, uint32_t v);
  static void PutName(std::vector<uint8_t>& o, const std::string& s);
};

// A stored folder holding `data` in blocks of `blockSize` bytes.
Folder StoredFolder(const std::vector<uint8_t>& data, size_t blockSize = 32768);

// An MSZIP folder holding `data`, made by kestin-pack's encoder in blocks of
// 32 KiB with the previous 32 KiB as dictionary.
Folder MszipFolder(const std::vector<uint8_t>& data, int level = 6);

// Deterministic bytes that do not repeat within a block.
std::vector<uint8_t> Pattern(size_t n, uint32_t seed);

// One cabinet, one stored folder per group; each group's files lie back to back.
struct NamedData {
  std::string name;
  std::vector<uint8_t> data;
};
Cabinet StoredCabinet(const std::vector<std::vector<NamedData>>& groups, size_t blockSize = 32768);

}  // namespace cabbuild

// The short form: one stored folder holding `files` in order.
struct TCabEntry {
  std::string name;
  std::vector<uint8_t> data;
  uint16_t attribs = 0x20;            // archive
  uint16_t date = (46 << 9) | (3 << 5) | 14;  // 14 March 2026
  uint16_t time = (12 << 11) | (30 << 5);     // 12:30:00
};

struct TCabOptions {
  std::string nextCabinet;  // sets the next-cabinet link when not empty
  bool checksums = true;
};

std::vector<uint8_t> BuildStoredCabinet(const std::vector<TCabEntry>& files, const TCabOptions& options = {});
// The CFDATA checksum of a block (data followed by its two length fields),
// written here apart from the engine's own so tests can check one by the other.
uint32_t CabBlockChecksum(const uint8_t* data, size_t n, uint16_t cbData, uint16_t cbUncomp);
