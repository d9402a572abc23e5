#include "cab_builder.h"

#include <algorithm>
#include <cstring>

#include "mszip_encoder.h"

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

namespace cabbuild {

std::vector<uint8_t> Cabinet::Build() const {
  std::vector<uint8_t> out(36, 0);
  bool res = reserve || !headerReserve.empty() || folderReserve || dataReserve;
  uint16_t fl = flags | (res ? kCabFlagReserve : 0);
  if (res) {
    Put16(out, (uint16_t)headerReserve.size());
    out.push_back(folderReserve);
    out.push_back(dataReserve);
    out.insert(out.end(), headerReserve.begin(), headerReserve.end());
  }
  if (fl & kCabFlagPrev) {
    PutName(out, prevCab);
    PutName(out, prevDisk);
  }
  if (fl & kCabFlagNext) {
    PutName(out, nextCab);
    PutName(out, nextDisk);
  }
  size_t folderAt = out.size();
  out.resize(out.size() + folders.size() * (8 + folderReserve), 0xEE);
  size_t filesAt = out.size();
  for (const File& f : files) {
    Put32(out, f.size);
    Put32(out, f.offset);
    Put16(out, f.iFolder);
    Put16(out, f.date);
    Put16(out, f.time);
    Put16(out, f.attribs);
    PutName(out, f.name);
  }
  for (size_t i = 0; i < folders.size(); ++i) {
    const Folder& fo = folders[i];
    size_t at = folderAt + i * (8 + folderReserve);
    Set32(out, at, (uint32_t)out.size());
    Set16(out, at + 4, (uint16_t)fo.blocks.size());
    Set16(out, at + 6, fo.type);
    for (const Block& b : fo.blocks) {
      uint32_t sum = Cab_BlockChecksum(b.data.data(), (unsigned)b.data.size(), b.cbUncomp);
      if (b.sum == Block::kZero) sum = 0;
      if (b.sum == Block::kWrong) sum ^= 0x10;
      Put32(out, sum);
      Put16(out, (uint16_t)b.data.size());
      Put16(out, b.cbUncomp);
      out.insert(out.end(), dataReserve, 0xDD);
      out.insert(out.end(), b.data.begin(), b.data.end());
    }
  }
  memcpy(out.data(), "MSCF", 4);
  Set32(out, 8, cbCabinetOverride >= 0 ? (uint32_t)cbCabinetOverride : (uint32_t)out.size());
  Set32(out, 16, (uint32_t)filesAt);
  out[24] = versionMinor;
  out[25] = versionMajor;
  Set16(out, 26, (uint16_t)folders.size());
  Set16(out, 28, (uint16_t)files.size());
  Set16(out, 30, fl);
  Set16(out, 32, setID);
  Set16(out, 34, iCabinet);
  return out;
}

void Cabinet::Put16(std::vector<uint8_t>& o, uint16_t v) {
  o.push_back((uint8_t)v);
  o.push_back((uint8_t)(v >> 8));
}
void Cabinet::Put32(std::vector<uint8_t>& o, uint32_t v) {
  for (int i = 0; i < 4; ++i) o.push_back((uint8_t)(v >> (8 * i)));
}
void Cabinet::Set16(std::vector<uint8_t>& o, size_t at, uint16_t v) {
  o[at] = (uint8_t)v;
  o[at + 1] = (uint8_t)(v >> 8);
}
void Cabinet::Set32(std::vector<uint8_t>& o, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) o[at + i] = (uint8_t)(v >> (8 * i));
}
void Cabinet::PutName(std::vector<uint8_t>& o, const std::string& s) {
  o.insert(o.end(), s.begin(), s.end());
  o.push_back(0);
}

Folder StoredFolder(const std::vector<uint8_t>& data, size_t blockSize) {
  Folder f;
  for (size_t at = 0; at < data.size(); at += blockSize) {
    size_t n = std::min(blockSize, data.size() - at);
    Block b;
    b.data.assign(data.begin() + at, data.begin() + at + n);
    b.cbUncomp = (uint16_t)n;
    f.blocks.push_back(b);
  }
  return f;
}

Folder MszipFolder(const std::vector<uint8_t>& data, int level) {
  Folder f;
  f.type = kCompressMszip;
  TMszipEncoder* e = Mszip_Create(level);
  std::vector<uint8_t> out(kMszipMaxBlock);
  for (size_t at = 0; at < data.size(); at += 32768) {
    size_t n = std::min<size_t>(32768, data.size() - at);
    size_t history = std::min<size_t>(at, 32768);
    Block b;
    size_t used = Mszip_Encode(e, data.data() + at - history, history, data.data() + at, n, out.data());
    b.data.assign(out.begin(), out.begin() + used);
    b.cbUncomp = (uint16_t)n;
    f.blocks.push_back(b);
  }
  Mszip_Destroy(e);
  return f;
}

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
  std::vector<uint8_t> v(n);
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    v[i] = (uint8_t)(x >> 16);
  }
  return v;
}

Cabinet StoredCabinet(const std::vector<std::vector<NamedData>>& groups, size_t blockSize) {
  Cabinet c;
  for (size_t g = 0; g < groups.size(); ++g) {
    std::vector<uint8_t> all;
    for (const NamedData& f : groups[g]) {
      File file;
      file.name = f.name;
      file.size = (uint32_t)f.data.size();
      file.offset = (uint32_t)all.size();
      file.iFolder = (uint16_t)g;
      c.files.push_back(file);
      all.insert(all.end(), f.data.begin(), f.data.end());
    }
    c.folders.push_back(StoredFolder(all, blockSize));
  }
  return c;
}

}  // namespace cabbuild

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
