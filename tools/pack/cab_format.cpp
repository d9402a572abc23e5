#include "cab_format.h"

#include <algorithm>

uint32_t Cab_Checksum(const uint8_t* p, size_t n, uint32_t seed) {
  uint32_t sum = seed;
  size_t words = n / 4;
  for (size_t i = 0; i < words; i++, p += 4)
    sum ^= uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  uint32_t tail = 0;
  switch (n % 4) {
    case 3: tail |= uint32_t(*p++) << 16; [[fallthrough]];
    case 2: tail |= uint32_t(*p++) << 8; [[fallthrough]];
    case 1: tail |= *p; break;
    default: break;
  }
  return sum ^ tail;
}

static void Put16(uint8_t* p, unsigned v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

static void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v & 0xFFFF);
  Put16(p + 2, v >> 16);
}

void Cab_AppendDataBlock(std::vector<uint8_t>* out, const uint8_t* data, size_t n,
                         unsigned uncompressed) {
  size_t at = out->size();
  out->resize(at + kCabDataHeaderSize + n);
  uint8_t* h = out->data() + at;
  Put16(h + 4, unsigned(n));
  Put16(h + 6, uncompressed);
  if (n) std::copy(data, data + n, h + kCabDataHeaderSize);
  Put32(h, Cab_Checksum(h + 4, 4, Cab_Checksum(data, n, 0)));
}

uint32_t Cab_HeaderAreaSize(const std::vector<TCabFolderRecord>& folders,
                            const std::vector<TCabFileRecord>& files) {
  uint32_t n = kCabHeaderSize + kCabFolderEntrySize * uint32_t(folders.size());
  for (const TCabFileRecord& f : files) n += kCabFileEntryFixed + uint32_t(f.name.size()) + 1;
  return n;
}

std::vector<uint8_t> Cab_HeaderArea(uint32_t cabinetSize, uint16_t setId,
                                    const std::vector<TCabFolderRecord>& folders,
                                    const std::vector<TCabFileRecord>& files) {
  std::vector<uint8_t> h(Cab_HeaderAreaSize(folders, files), 0);
  uint8_t* p = h.data();
  p[0] = 'M'; p[1] = 'S'; p[2] = 'C'; p[3] = 'F';
  Put32(p + 8, cabinetSize);
  Put32(p + 16, kCabHeaderSize + kCabFolderEntrySize * uint32_t(folders.size()));  // coffFiles
  p[24] = 3;  // version 1.3
  p[25] = 1;
  Put16(p + 26, unsigned(folders.size()));
  Put16(p + 28, unsigned(files.size()));
  Put16(p + 30, 0);  // flags: no previous or next cabinet, no reserve
  Put16(p + 32, setId);
  Put16(p + 34, 0);  // iCabinet
  p += kCabHeaderSize;
  for (const TCabFolderRecord& f : folders) {
    Put32(p, f.firstBlockAt);
    Put16(p + 4, f.blocks);
    Put16(p + 6, f.type);
    p += kCabFolderEntrySize;
  }
  for (const TCabFileRecord& f : files) {
    Put32(p, f.size);
    Put32(p + 4, f.offsetInFolder);
    Put16(p + 8, f.folder);
    Put16(p + 10, f.date);
    Put16(p + 12, f.time);
    Put16(p + 14, f.attribs);
    std::copy(f.name.begin(), f.name.end(), p + kCabFileEntryFixed);
    p += kCabFileEntryFixed + f.name.size() + 1;
  }
  return h;
}
