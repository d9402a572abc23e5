// Stand-ins for the setup program in tests that only need its version values.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A version String record as the resource compiler lays it out.
inline void AppendVersionRecord(std::vector<uint8_t>& img, const std::string& key, const std::string& value) {
  std::vector<uint8_t> rec;
  auto w16 = [&](unsigned v) { rec.push_back(uint8_t(v)); rec.push_back(uint8_t(v >> 8)); };
  w16(0); w16(unsigned(value.size() + 1)); w16(1);
  for (char c : key) w16(uint8_t(c));
  w16(0);
  while (rec.size() % 4) rec.push_back(0);
  for (char c : value) w16(uint8_t(c));
  w16(0);
  while (rec.size() % 4) rec.push_back(0);
  rec[0] = uint8_t(rec.size());
  rec[1] = uint8_t(rec.size() >> 8);
  while (img.size() % 4) img.push_back(0xCC);
  img.insert(img.end(), rec.begin(), rec.end());
}

inline void PutU16(std::vector<uint8_t>& b, size_t at, unsigned v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
inline void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  PutU16(b, at, v & 0xFFFF);
  PutU16(b, at + 2, v >> 16);
}

const unsigned kFakeI386 = 0x014C;
const unsigned kFakeAmd64 = 0x8664;

// The MZ and PE headers of a program (or, with `library`, a DLL) for
// `machine`, with room for `sections` section headers after them; returns
// where the first section header goes.
inline size_t FakePeHeaders(std::vector<uint8_t>& img, unsigned machine, bool library, unsigned sections) {
  img.assign(0x40, 0);
  img[0] = 'M';
  img[1] = 'Z';
  PutU32(img, 0x3C, 0x40);
  PutU32(img, 0x40, 0x00004550);  // "PE\0\0"
  bool wide = machine == kFakeAmd64;
  unsigned optional = wide ? 240 : 224;
  PutU16(img, 0x44, machine);
  PutU16(img, 0x46, sections);
  PutU16(img, 0x54, optional);
  PutU16(img, 0x56, library ? 0x2102 : 0x0102);
  size_t opt = 0x58;
  PutU16(img, opt, wide ? 0x20B : 0x10B);
  PutU32(img, opt + (wide ? 108 : 92), 16);
  img.resize(opt + optional + 40 * sections, 0);
  return opt + optional;
}

// Stands in for setup.exe: a 32-bit program's headers and the two blank
// placeholders.
inline std::vector<uint8_t> FakeStub(unsigned machine = kFakeI386) {
  std::vector<uint8_t> img;
  FakePeHeaders(img, machine, false, 0);
  AppendVersionRecord(img, "kestin", std::string(16, ' '));
  AppendVersionRecord(img, "cabnam", std::string(260, ' '));
  img.resize(img.size() + 100, 0xCC);
  return img;
}

// Stands in for uncab.dll: a DLL for `machine` exporting `names` (the four
// FDI functions by default), padded with 0xAB to `size` bytes.
inline std::vector<uint8_t> FakeLibrary(size_t size = 1000, unsigned machine = kFakeI386,
                                        std::vector<std::string> names = {"FDICopy", "FDICreate",
                                                                          "FDIDestroy", "FDIIsCabinet"}) {
  std::vector<uint8_t> img;
  size_t section = FakePeHeaders(img, machine, true, 1);
  const uint32_t rva = 0x1000, raw = 0x200;
  std::vector<uint8_t> data(40, 0);
  PutU32(data, 24, uint32_t(names.size()));
  PutU32(data, 32, rva + 40);
  size_t strings = 40 + 4 * names.size();
  data.resize(strings, 0);
  for (size_t i = 0; i < names.size(); i++) {
    PutU32(data, 40 + 4 * i, uint32_t(rva + data.size()));
    data.insert(data.end(), names[i].begin(), names[i].end());
    data.push_back(0);
  }
  bool wide = machine == kFakeAmd64;
  PutU32(img, 0x58 + (wide ? 112 : 96), rva);
  PutU32(img, 0x58 + (wide ? 116 : 100), uint32_t(data.size()));
  PutU32(img, section + 8, uint32_t(data.size()));
  PutU32(img, section + 12, rva);
  PutU32(img, section + 16, uint32_t(data.size()));
  PutU32(img, section + 20, raw);
  img.resize(raw, 0);
  img.insert(img.end(), data.begin(), data.end());
  if (img.size() < size) img.resize(size, 0xAB);
  return img;
}
