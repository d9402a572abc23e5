#include "sample_cabinet.h"

namespace {

struct TCursor {
  const std::vector<uint8_t>& bytes;
  size_t pos;
  bool ok = true;

  bool Has(size_t n) {
    if (!ok || pos > bytes.size() || bytes.size() - pos < n) ok = false;
    return ok;
  }
  void Skip(size_t n) {
    if (Has(n)) pos += n;
  }
  uint32_t Take(unsigned n) {
    if (!Has(n)) return 0;
    uint32_t v = 0;
    for (unsigned i = 0; i < n; i++) v |= (uint32_t)bytes[pos + i] << (8 * i);
    pos += n;
    return v;
  }
};

}  // namespace

bool ParseCabinet(const std::vector<uint8_t>& bytes, TSampleCabinet* cab) {
  *cab = TSampleCabinet();
  TCursor c{bytes, 0};
  if (c.Take(4) != 0x4643534D) return false;  // "MSCF"
  c.Skip(12);
  uint32_t coffFiles = c.Take(4);
  c.Skip(6);
  unsigned nFolders = c.Take(2), nFiles = c.Take(2), flags = c.Take(2);
  c.Skip(4);
  unsigned headerReserve = 0, folderReserve = 0, dataReserve = 0;
  if (flags & 4) {
    headerReserve = c.Take(2);
    folderReserve = c.Take(1);
    dataReserve = c.Take(1);
    c.Skip(headerReserve);
  }
  for (int i = 0; i < 2; i++) {  // previous and next cabinet names
    if (!(flags & (1u << i))) continue;
    for (int k = 0; k < 2; k++) {
      while (c.Has(1) && bytes[c.pos] != 0) c.pos++;
      c.Take(1);
    }
  }
  for (unsigned f = 0; f < nFolders && c.ok; f++) {
    TSampleFolder folder;
    uint32_t dataStart = c.Take(4);
    unsigned nBlocks = c.Take(2);
    folder.typeCompress = (uint16_t)c.Take(2);
    c.Skip(folderReserve);
    TCursor d{bytes, dataStart};
    for (unsigned b = 0; b < nBlocks && d.ok; b++) {
      d.Skip(4);
      unsigned cbData = d.Take(2), cbUncomp = d.Take(2);
      d.Skip(dataReserve);
      if (!d.Has(cbData)) break;
      TEncodedBlock block;
      block.data.assign(bytes.begin() + d.pos, bytes.begin() + d.pos + cbData);
      block.outLen = cbUncomp;
      folder.blocks.push_back(block);
      d.pos += cbData;
    }
    if (!d.ok) return false;
    cab->folders.push_back(folder);
  }
  if (!c.ok) return false;

  TCursor e{bytes, coffFiles};
  std::vector<TSampleFile> files;
  for (unsigned i = 0; i < nFiles && e.ok; i++) {
    TSampleFile file;
    file.size = e.Take(4);
    file.offset = e.Take(4);
    file.folder = (uint16_t)e.Take(2);
    e.Skip(6);
    while (e.Has(1) && bytes[e.pos] != 0) file.name += (char)bytes[e.pos++];
    e.Take(1);
    files.push_back(file);
  }
  if (e.ok) {
    cab->files = files;
    cab->filesRead = true;
  }
  return true;
}
