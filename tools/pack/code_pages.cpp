#include "code_pages.h"

#include <zlib.h>

#include <vector>

bool TCodePage::Load(int codePage) {
  bytes_.clear();
  const TCodePageData* data = nullptr;
  for (int i = 0; i < kCodePageDataCount; i++)
    if (kCodePageData[i].codePage == codePage) data = &kCodePageData[i];
  if (!data) return false;
  std::vector<uint8_t> raw(2 * (128 + 126 * 191));
  uLongf size = uLongf(raw.size());
  if (uncompress(raw.data(), &size, data->zdata, uLong(data->size)) != Z_OK || size % 2) return false;
  uint16_t value = 0;
  for (size_t i = 0; i < size / 2; i++) {
    value = uint16_t(value + (raw[2 * i] | raw[2 * i + 1] << 8));
    if (!value) continue;
    uint16_t code = i < 128 ? uint16_t(0x80 + i)
                            : uint16_t((0x81 + (i - 128) / 191) << 8 | (0x40 + (i - 128) % 191));
    // The first (lowest) code wins where a page holds a character twice.
    bytes_.emplace(value, code);
  }
  return true;
}

bool TCodePage::Encode(uint32_t u, std::string* out) const {
  if (u < 0x80) {
    *out += char(u);
    return true;
  }
  auto it = bytes_.find(u);
  if (it == bytes_.end()) return false;
  if (it->second > 0xFF) *out += char(it->second >> 8);
  *out += char(it->second & 0xFF);
  return true;
}
