#include "script/ini_text.h"

#include <string.h>

bool IniIsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1A;
}

TIniText::TIniText(const char* bytes, size_t size) : bytes_(bytes), size_(size), start_(0) {
  if (size >= 3 && (unsigned char)bytes[0] == 0xEF && (unsigned char)bytes[1] == 0xBB &&
      (unsigned char)bytes[2] == 0xBF)
    start_ = 3;
  Rewind();
}

void TIniText::Rewind() {
  pos_ = start_;
  number_ = 0;
}

bool TIniText::Next(TIniLine* line) {
  if (pos_ >= size_) return false;
  const char* p = bytes_ + pos_;
  const char* lineEnd = (const char*)memchr(p, '\n', size_ - pos_);
  const char* end = lineEnd ? lineEnd : bytes_ + size_;
  pos_ = size_t(end - bytes_) + (lineEnd ? 1 : 0);
  line->Number = ++number_;
  line->Name.clear();
  line->RawValue.clear();

  while (p < end && IniIsBlank(*p)) p++;
  while (end > p && IniIsBlank(end[-1])) end--;
  if (p == end) {
    line->Kind = kIniBlank;
    return true;
  }
  if (*p == '[') {
    const char* close = nullptr;
    for (const char* q = end; q > p; q--)
      if (q[-1] == ']') { close = q - 1; break; }
    if (close) {
      line->Kind = kIniSection;
      line->Name = TStr(p + 1, size_t(close - (p + 1)));
      return true;
    }
    // Without a ']' the line is an ordinary entry.
  }
  const char* eq = (const char*)memchr(p, '=', size_t(end - p));
  if (!eq) {
    line->Kind = kIniNoValue;
    line->Name = TStr(p, size_t(end - p));
    return true;
  }
  const char* nameEnd = eq;
  while (nameEnd > p && IniIsBlank(nameEnd[-1])) nameEnd--;
  const char* value = eq + 1;
  while (value < end && IniIsBlank(*value)) value++;
  line->Kind = kIniEntry;
  line->Name = TStr(p, size_t(nameEnd - p));
  line->RawValue = TStr(value, size_t(end - value));
  return true;
}

bool IniSameName(const TStr& stored, const char* asked) {
  const char* a = asked;
  size_t n = strlen(a);
  while (n && IniIsBlank(*a)) { a++; n--; }
  while (n && IniIsBlank(a[n - 1])) n--;
  if (stored.size() != n) return false;
  for (size_t i = 0; i < n; i++)
    if (AsciiUpper(stored[i]) != AsciiUpper(a[i])) return false;
  return true;
}

TStr IniReadValue(const TStr& raw) {
  const char* v = raw.c_str();
  size_t n = strlen(v);  // a zero byte ends the text, as it does for the platform
  bool quoted = n >= 2 && (v[0] == '"' || v[0] == '\'') && v[n - 1] == v[0];
  if (quoted) { v++; n--; }
  // The closing quote goes only when the whole value fits; a cut value keeps
  // what fits, as the platform's copy into its buffer does.
  if (n > kIniValueMax) return TStr(v, kIniValueMax);
  if (quoted) n--;
  return TStr(v, n);
}

bool IniFind(const char* bytes, size_t size, const char* section, const char* key, TStr* value,
             int* line) {
  value->clear();
  *line = 0;
  if (IniSameName(TStr(), key)) return false;  // an empty key name reads nothing
  TIniText text(bytes, size);
  TIniLine l;
  bool inSection = false;
  while (text.Next(&l)) {
    if (l.Kind == kIniSection) {
      if (inSection) return false;  // only the first section of the name counts
      inSection = !l.Name.empty() && IniSameName(l.Name, section);
      continue;
    }
    if (!inSection || l.Kind == kIniBlank || !IniSameName(l.Name, key)) continue;
    if (l.Kind == kIniNoValue) return false;  // the first entry of the name has no value
    *value = IniReadValue(l.RawValue);
    *line = l.Number;
    return true;
  }
  return false;
}
