// Builds cabinets byte by byte for tests that need shapes no packer makes:
// reserved areas, several stored folders, sets of cabinets with split blocks,
// and deliberately broken fields. Checksums are right unless a block asks
// otherwise (gcab-made cabinets check the checksum routine independently).
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "uncab/cab_format.h"

namespace cabbuild {

struct Block {
  std::vector<uint8_t> data;
  uint16_t cbUncomp = 0;
  enum Sum { kRight, kZero, kWrong } sum = kRight;
};

struct Folder {
  uint16_t type = 0;
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

  std::vector<uint8_t> Build() const {
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

  static void Put16(std::vector<uint8_t>& o, uint16_t v) {
    o.push_back((uint8_t)v);
    o.push_back((uint8_t)(v >> 8));
  }
  static void Put32(std::vector<uint8_t>& o, uint32_t v) {
    for (int i = 0; i < 4; ++i) o.push_back((uint8_t)(v >> (8 * i)));
  }
  static void Set16(std::vector<uint8_t>& o, size_t at, uint16_t v) {
    o[at] = (uint8_t)v;
    o[at + 1] = (uint8_t)(v >> 8);
  }
  static void Set32(std::vector<uint8_t>& o, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) o[at + i] = (uint8_t)(v >> (8 * i));
  }
  static void PutName(std::vector<uint8_t>& o, const std::string& s) {
    o.insert(o.end(), s.begin(), s.end());
    o.push_back(0);
  }
};

// A stored folder holding `data` in blocks of `blockSize` bytes.
inline Folder StoredFolder(const std::vector<uint8_t>& data, size_t blockSize = 32768) {
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

// Deterministic bytes that do not repeat within a block.
inline std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
  std::vector<uint8_t> v(n);
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    v[i] = (uint8_t)(x >> 16);
  }
  return v;
}

// One cabinet, one stored folder per group; each group's files lie back to back.
struct NamedData {
  std::string name;
  std::vector<uint8_t> data;
};
inline Cabinet StoredCabinet(const std::vector<std::vector<NamedData>>& groups, size_t blockSize = 32768) {
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
