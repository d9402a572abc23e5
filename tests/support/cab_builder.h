// Small stored (uncompressed) cabinets for tests, including ones no tool would
// make: odd names, a next-cabinet link. The general writer for odd shapes is
// cabinet_maker.h; this is its short form for a list of files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

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
