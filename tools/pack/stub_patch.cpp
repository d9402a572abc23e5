#include "stub_patch.h"

#include <cstring>

namespace {

struct ValueSlot {
  size_t textAt;    // first UTF-16 unit of the value
  size_t capacity;  // characters before the terminating zero
};

// A version String record is: length, value length (in characters, zero
// included), type (1 = text), the key in UTF-16 with its zero, padding to a
// 32-bit boundary, then the value.
int FindValue(const std::vector<uint8_t>& img, const std::string& key, ValueSlot* slot,
              bool firstOnly = false) {
  std::vector<uint8_t> pattern;
  for (char c : key) { pattern.push_back(uint8_t(c)); pattern.push_back(0); }
  pattern.push_back(0); pattern.push_back(0);
  int found = 0;
  for (size_t i = 6; i + pattern.size() <= img.size(); i += 2) {
    if (std::memcmp(&img[i], pattern.data(), pattern.size()) != 0) continue;
    size_t header = i - 6;
    if (header % 4) continue;
    unsigned length = img[header] | img[header + 1] << 8;
    unsigned valueLength = img[header + 2] | img[header + 3] << 8;
    unsigned type = img[header + 4] | img[header + 5] << 8;
    if (type != 1 || valueLength == 0) continue;
    size_t at = (i + pattern.size() + 3) & ~size_t(3);
    if (at + size_t(valueLength) * 2 > img.size() || at + valueLength * 2 > header + length) continue;
    slot->textAt = at;
    slot->capacity = valueLength - 1;
    found++;
    if (firstOnly) break;
  }
  return found;
}

}  // namespace

bool PatchVersionValue(std::vector<uint8_t>& image, const std::string& key,
                       const std::string& value, std::string* error) {
  ValueSlot slot;
  int n = FindValue(image, key, &slot);
  if (n != 1) {
    *error = n == 0 ? "the program has no version value '" + key + "' to patch"
                    : "the program has more than one version value '" + key + "'";
    return false;
  }
  if (value.size() > slot.capacity) {
    *error = "the value for '" + key + "' is " + std::to_string(value.size()) +
             " characters; the program has room for " + std::to_string(slot.capacity);
    return false;
  }
  for (size_t i = 0; i < slot.capacity; i++) {
    uint8_t c = i < value.size() ? uint8_t(value[i]) : uint8_t(' ');
    image[slot.textAt + 2 * i] = c;
    image[slot.textAt + 2 * i + 1] = 0;
  }
  return true;
}

bool ReadVersionValue(const std::vector<uint8_t>& image, const std::string& key, std::string* value) {
  ValueSlot slot;
  if (FindValue(image, key, &slot) != 1) return false;
  value->clear();
  for (size_t i = 0; i < slot.capacity; i++) value->push_back(char(image[slot.textAt + 2 * i]));
  return true;
}

bool ReadFirstVersionValue(const std::vector<uint8_t>& bytes, const std::string& key,
                           std::string* value) {
  ValueSlot slot;
  if (FindValue(bytes, key, &slot, true) != 1) return false;
  value->clear();
  for (size_t i = 0; i < slot.capacity; i++) value->push_back(char(bytes[slot.textAt + 2 * i]));
  return true;
}
