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

// Stands in for setup.exe: a few bytes and the two blank placeholders.
inline std::vector<uint8_t> FakeStub() {
  std::vector<uint8_t> img = {'M', 'Z'};
  img.resize(64, 0xCC);
  AppendVersionRecord(img, "kestin", std::string(16, ' '));
  AppendVersionRecord(img, "cabnam", std::string(260, ' '));
  img.resize(img.size() + 100, 0xCC);
  return img;
}
