#include "cab_builder.h"

namespace {

void Put16(std::vector<uint8_t>& v, unsigned x) { v.push_back(uint8_t(x)); v.push_back(uint8_t(x >> 8)); }
void Put32(std::vector<uint8_t>& v, uint32_t x) { Put16(v, x & 0xFFFF); Put16(v, x >> 16); }
void Set32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; i++) v[at + i] = uint8_t(x >> (8 * i));
}

uint32_t Checksum(const uint8_t* p, size_t n, uint32_t seed) {
  uint32_t sum = seed;
  size_t words = n / 4;
  for (size_t i = 0; i < words; i++, p += 4) sum ^= uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  uint32_t rest = 0;
  switch (n & 3) {
    case 3: rest |= uint32_t(*p++) << 16; [[fallthrough]];
    case 2: rest |= uint32_t(*p++) << 8; [[fallthrough]];
    case 1: rest |= *p;
  }
  return sum ^ rest;
}

}  // namespace

uint32_t CabBlockChecksum(const uint8_t* data, size_t n, uint16_t cbData, uint16_t cbUncomp) {
  uint8_t lengths[4] = {uint8_t(cbData), uint8_t(cbData >> 8), uint8_t(cbUncomp), uint8_t(cbUncomp >> 8)};
  return Checksum(lengths, 4, Checksum(data, n, 0));
}

std::vector<uint8_t> BuildStoredCabinet(const std::vector<TCabEntry>& files, const TCabOptions& options) {
  std::vector<uint8_t> all;
  for (const auto& f : files) all.insert(all.end(), f.data.begin(), f.data.end());
  size_t blocks = (all.size() + 32767) / 32768;

  std::vector<uint8_t> cab;
  cab.insert(cab.end(), {'M', 'S', 'C', 'F'});
  Put32(cab, 0);
  Put32(cab, 0);  // cbCabinet, set at the end
  Put32(cab, 0);
  Put32(cab, 0);  // coffFiles, set below
  Put32(cab, 0);
  cab.push_back(3);
  cab.push_back(1);
  Put16(cab, 1);
  Put16(cab, unsigned(files.size()));
  Put16(cab, options.nextCabinet.empty() ? 0 : 2);
  Put16(cab, 0x1234);
  Put16(cab, 0);
  if (!options.nextCabinet.empty()) {
    cab.insert(cab.end(), options.nextCabinet.begin(), options.nextCabinet.end());
    cab.push_back(0);
    cab.insert(cab.end(), {'d', 'i', 's', 'k', 0});
  }
  size_t folderAt = cab.size();
  Put32(cab, 0);  // coffCabStart, set below
  Put16(cab, unsigned(blocks));
  Put16(cab, 0);  // stored
  Set32(cab, 16, uint32_t(cab.size()));
  uint32_t offset = 0;
  for (const auto& f : files) {
    Put32(cab, uint32_t(f.data.size()));
    Put32(cab, offset);
    Put16(cab, 0);
    Put16(cab, f.date);
    Put16(cab, f.time);
    Put16(cab, f.attribs);
    cab.insert(cab.end(), f.name.begin(), f.name.end());
    cab.push_back(0);
    offset += uint32_t(f.data.size());
  }
  Set32(cab, folderAt, uint32_t(cab.size()));
  for (size_t b = 0; b < blocks; b++) {
    size_t start = b * 32768;
    size_t n = std::min<size_t>(32768, all.size() - start);
    uint32_t sum = options.checksums ? CabBlockChecksum(all.data() + start, n, uint16_t(n), uint16_t(n)) : 0;
    Put32(cab, sum);
    Put16(cab, unsigned(n));
    Put16(cab, unsigned(n));
    cab.insert(cab.end(), all.begin() + long(start), all.begin() + long(start + n));
  }
  Set32(cab, 8, uint32_t(cab.size()));
  return cab;
}
