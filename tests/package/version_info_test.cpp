// The version-resource walk that finds kestin and cabnam without the system's
// version library.
#include <doctest/doctest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "package/version_info.h"

namespace {

struct Rec {
  std::string key;
  unsigned type = 0;              // 1: text value
  std::vector<uint8_t> value;
  int valueLength = -1;           // as stored; -1: the natural count
  std::vector<Rec> children;
};

void Put16(std::vector<uint8_t>& b, unsigned v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); }
void Pad4(std::vector<uint8_t>& b) { while (b.size() % 4) b.push_back(0); }

std::vector<uint8_t> Utf16(const std::string& s, bool zero = true) {
  std::vector<uint8_t> b;
  for (char c : s) Put16(b, (unsigned char)c);
  if (zero) Put16(b, 0);
  return b;
}

// Lays a record out as a resource compiler does; records start 4-aligned
// relative to the block, which is how `b` is always positioned here.
void Encode(const Rec& r, std::vector<uint8_t>& b) {
  size_t at = b.size();
  Put16(b, 0);
  unsigned natural = r.type == 1 ? unsigned(r.value.size() / 2) : unsigned(r.value.size());
  Put16(b, r.valueLength < 0 ? natural : unsigned(r.valueLength));
  Put16(b, r.type);
  std::vector<uint8_t> key = Utf16(r.key);
  b.insert(b.end(), key.begin(), key.end());
  Pad4(b);
  b.insert(b.end(), r.value.begin(), r.value.end());
  for (const Rec& c : r.children) {
    Pad4(b);
    Encode(c, b);
  }
  size_t length = b.size() - at;
  b[at] = uint8_t(length);
  b[at + 1] = uint8_t(length >> 8);
}

Rec Text(const std::string& key, const std::string& value) {
  Rec r;
  r.key = key;
  r.type = 1;
  r.value = Utf16(value);
  return r;
}

Rec Block(const std::string& key, std::vector<Rec> children) {
  Rec r;
  r.key = key;
  r.type = 1;
  r.children = std::move(children);
  return r;
}

// A block like the one setup.exe carries: fixed info, string table, then the
// translation list.
std::vector<uint8_t> VersionBlock(std::vector<Rec> strings, const std::string& table = "040904E4") {
  Rec root;
  root.key = "VS_VERSION_INFO";
  root.value.assign(52, 0xEE);
  Rec translation;
  translation.key = "Translation";
  translation.value = {0x09, 0x04, 0xE4, 0x04};
  root.children = {Block("StringFileInfo", {Block(table, std::move(strings))}),
                   Block("VarFileInfo", {translation})};
  std::vector<uint8_t> b;
  Encode(root, b);
  return b;
}

std::string Value(const std::vector<uint8_t>& b, const char* name) {
  TVersionText t;
  if (!FindVersionText(b.data(), b.size(), name, &t)) return "<missing>";
  REQUIRE(t.offset + 2 * t.units <= b.size());
  std::string s;
  for (size_t i = 0; i < t.units; i++) s += char(b[t.offset + 2 * i]);
  return s;
}

}  // namespace

TEST_CASE("values are found by name in the 040904E4 table, whatever the letter case") {
  std::vector<uint8_t> b = VersionBlock({Text("FileDescription", "Kestin Setup"),
                                         Text("kestin", "158720          "), Text("cabnam", "self")});
  CHECK(Value(b, "kestin") == "158720          ");
  CHECK(Value(b, "cabnam") == "self");
  CHECK(Value(b, "CABNAM") == "self");
  CHECK(Value(b, "cabna") == "<missing>");
  CHECK(Value(b, "cabnamx") == "<missing>");
  CHECK(Value(b, "Translation") == "<missing>");
}

TEST_CASE("a value is missing from any other table or without a string table") {
  CHECK(Value(VersionBlock({Text("cabnam", "self")}, "040704B0"), "cabnam") == "<missing>");
  CHECK(Value(VersionBlock({Text("cabnam", "self")}, "040904e4"), "cabnam") == "self");
  Rec root;
  root.key = "VS_VERSION_INFO";
  root.children = {Block("VarFileInfo", {})};
  std::vector<uint8_t> b;
  Encode(root, b);
  CHECK(Value(b, "cabnam") == "<missing>");
}

TEST_CASE("the text ends at its first zero and never runs past its record") {
  Rec early = Text("cabnam", "data.cab");
  early.value = Utf16(std::string("data\0cab", 8));
  CHECK(Value(VersionBlock({early}), "cabnam") == "data");

  // A length counted in bytes rather than characters, as some compilers
  // write it: the value is still the text up to its zero.
  Rec bytes = Text("cabnam", "self");
  bytes.valueLength = int(bytes.value.size());
  CHECK(Value(VersionBlock({bytes, Text("kestin", "1")}), "cabnam") == "self");
  CHECK(Value(VersionBlock({bytes, Text("kestin", "1")}), "kestin") == "1");

  // No terminating zero and a length far beyond the record: cut at the record.
  Rec open = Text("cabnam", "");
  open.value = Utf16("selfish", false);
  open.valueLength = 4000;
  CHECK(Value(VersionBlock({open, Text("kestin", "1")}), "cabnam") == "selfish");
}

TEST_CASE("damaged blocks are refused without reading outside them") {
  std::vector<uint8_t> good = VersionBlock({Text("kestin", "158720"), Text("cabnam", "self")});
  REQUIRE(Value(good, "cabnam") == "self");
  // Every cut-off prefix: found only when the value's record is whole (the
  // sanitizers catch any read past the copy).
  for (size_t n = 0; n < good.size(); n++) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + n);
    CHECK(Value(cut, "cabnam") == "<missing>");
  }
  // A record claiming more than its parent holds ends the walk.
  std::vector<uint8_t> bad = good;
  bad[0] = 0xFF;
  bad[1] = 0xFF;
  CHECK(Value(bad, "cabnam") == "<missing>");
  // A key without its terminating zero inside the record.
  std::vector<uint8_t> tiny = {8, 0, 0, 0, 0, 0, 'V', 0};
  CHECK(Value(tiny, "cabnam") == "<missing>");
  TVersionText t;
  CHECK_FALSE(FindVersionText(nullptr, 0, "cabnam", &t));
}
