#include "cab_records.h"

#include <algorithm>

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
  out->resize(at + kCabDataFixedSize + n);
  uint8_t* h = out->data() + at;
  Put16(h + 4, unsigned(n));
  Put16(h + 6, uncompressed);
  if (n) std::copy(data, data + n, h + kCabDataFixedSize);
  Put32(h, Cab_BlockChecksum(data, unsigned(n), uncompressed));
}

uint32_t Cab_HeaderAreaSize(const std::vector<TCabFolderRecord>& folders,
                            const std::vector<TCabFileRecord>& files) {
  uint32_t n = kCabHeaderFixedSize + kCabFolderFixedSize * uint32_t(folders.size());
  for (const TCabFileRecord& f : files) n += kCabFileFixedSize + uint32_t(f.name.size()) + 1;
  return n;
}

std::vector<uint8_t> Cab_HeaderArea(uint32_t cabinetSize, uint16_t setId,
                                    const std::vector<TCabFolderRecord>& folders,
                                    const std::vector<TCabFileRecord>& files) {
  std::vector<uint8_t> h(Cab_HeaderAreaSize(folders, files), 0);
  uint8_t* p = h.data();
  p[0] = 'M'; p[1] = 'S'; p[2] = 'C'; p[3] = 'F';
  Put32(p + 8, cabinetSize);
  Put32(p + 16, kCabHeaderFixedSize + kCabFolderFixedSize * uint32_t(folders.size()));  // coffFiles
  p[24] = 3;  // version 1.3
  p[25] = 1;
  Put16(p + 26, unsigned(folders.size()));
  Put16(p + 28, unsigned(files.size()));
  Put16(p + 30, 0);  // flags: no previous or next cabinet, no reserve
  Put16(p + 32, setId);
  Put16(p + 34, 0);  // iCabinet
  p += kCabHeaderFixedSize;
  for (const TCabFolderRecord& f : folders) {
    Put32(p, f.firstBlockAt);
    Put16(p + 4, f.blocks);
    Put16(p + 6, f.type);
    p += kCabFolderFixedSize;
  }
  for (const TCabFileRecord& f : files) {
    Put32(p, f.size);
    Put32(p + 4, f.offsetInFolder);
    Put16(p + 8, f.folder);
    Put16(p + 10, f.date);
    Put16(p + 12, f.time);
    Put16(p + 14, f.attribs);
    std::copy(f.name.begin(), f.name.end(), p + kCabFileFixedSize);
    p += kCabFileFixedSize + f.name.size() + 1;
  }
  return h;
}
