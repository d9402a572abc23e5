// The Windows code pages kestin-pack converts UTF-8 texts to, from tables
// built in (tools/pack/code_pages/*.bin, made by scripts/gen-code-pages.py).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

struct TCodePageData {
  int codePage;
  const unsigned char* zdata;  // the zlib-compressed table
  size_t size;
};
extern const TCodePageData kCodePageData[];
extern const int kCodePageDataCount;

class TCodePage {
public:
  // False when there is no table for `codePage`.
  bool Load(int codePage);
  // Appends the bytes for Unicode character `u`; false when the page has no
  // place for it.
  bool Encode(uint32_t u, std::string* out) const;

private:
  std::unordered_map<uint32_t, uint16_t> bytes_;  // character -> one byte, or lead << 8 | trail
};
