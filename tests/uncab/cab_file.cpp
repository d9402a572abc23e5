#include "cab_file.h"

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

void Put(std::vector<uint8_t>* out, uint32_t value, unsigned n) {
  for (unsigned i = 0; i < n; i++) out->push_back((uint8_t)(value >> (8 * i)));
}

}  // namespace

bool ParseCabinet(const std::vector<uint8_t>& bytes, TCabinet* cab) {
  *cab = TCabinet();
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
    TCabFolder folder;
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
  std::vector<TCabFileEntry> files;
  for (unsigned i = 0; i < nFiles && e.ok; i++) {
    TCabFileEntry file;
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

std::vector<uint8_t> BuildCabinet(const std::vector<TCabFolder>& folders,
                                  const std::vector<uint32_t>& sizes) {
  const size_t headerSize = 36, folderSize = 8;
  size_t filesSize = 0;
  for (size_t i = 0; i < folders.size(); i++)
    filesSize += 16 + ("f" + std::to_string(i)).size() + 1;
  size_t dataStart = headerSize + folderSize * folders.size() + filesSize;

  std::vector<uint8_t> folderPart, filePart, dataPart;
  for (size_t i = 0; i < folders.size(); i++) {
    Put(&folderPart, (uint32_t)(dataStart + dataPart.size()), 4);
    Put(&folderPart, (uint32_t)folders[i].blocks.size(), 2);
    Put(&folderPart, folders[i].typeCompress, 2);
    for (const TEncodedBlock& b : folders[i].blocks) {
      Put(&dataPart, 0, 4);  // no checksum
      Put(&dataPart, (uint32_t)b.data.size(), 2);
      Put(&dataPart, b.outLen, 2);
      dataPart.insert(dataPart.end(), b.data.begin(), b.data.end());
    }
    Put(&filePart, sizes[i], 4);
    Put(&filePart, 0, 4);
    Put(&filePart, (uint32_t)i, 2);
    Put(&filePart, 0x226C, 2);  // a date in 1997
    Put(&filePart, 0x59BA, 2);
    Put(&filePart, 0x20, 2);
    std::string name = "f" + std::to_string(i);
    filePart.insert(filePart.end(), name.begin(), name.end());
    filePart.push_back(0);
  }
  std::vector<uint8_t> out;
  Put(&out, 0x4643534D, 4);
  Put(&out, 0, 4);
  Put(&out, (uint32_t)(dataStart + dataPart.size()), 4);
  Put(&out, 0, 4);
  Put(&out, (uint32_t)(headerSize + folderSize * folders.size()), 4);
  Put(&out, 0, 4);
  Put(&out, 0x0103, 2);  // version 1.3
  Put(&out, (uint32_t)folders.size(), 2);
  Put(&out, (uint32_t)folders.size(), 2);
  Put(&out, 0, 2);
  Put(&out, 0x1234, 2);
  Put(&out, 0, 2);
  out.insert(out.end(), folderPart.begin(), folderPart.end());
  out.insert(out.end(), filePart.begin(), filePart.end());
  out.insert(out.end(), dataPart.begin(), dataPart.end());
  return out;
}
