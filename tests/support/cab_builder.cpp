#include "cab_builder.h"

#include "cabinet_maker.h"

namespace {

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
  cabbuild::Cabinet cab;
  for (const auto& f : files) {
    cabbuild::File entry;
    entry.name = f.name;
    entry.size = uint32_t(f.data.size());
    entry.offset = uint32_t(all.size());
    entry.date = f.date;
    entry.time = f.time;
    entry.attribs = f.attribs;
    cab.files.push_back(entry);
    all.insert(all.end(), f.data.begin(), f.data.end());
  }
  cab.folders.push_back(cabbuild::StoredFolder(all));
  if (!options.checksums)
    for (auto& block : cab.folders[0].blocks) block.sum = cabbuild::Block::kZero;
  if (!options.nextCabinet.empty()) {
    cab.flags |= kCabFlagNext;
    cab.nextCab = options.nextCabinet;
    cab.nextDisk = "disk";
  }
  return cab.Build();
}
