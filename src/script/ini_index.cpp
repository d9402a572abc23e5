#include "script/ini_index.h"

#include <string.h>

#include "script/ini_text.h"

namespace {

// FNV-1a over the name's ASCII letters in upper case, blanks around it left
// out as IniSameName leaves them out of the name asked for.
uint32_t NameHash(const char* name, size_t n) {
  while (n && IniIsBlank(*name)) {
    name++;
    n--;
  }
  while (n && IniIsBlank(name[n - 1])) n--;
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < n; i++) h = (h ^ (unsigned char)AsciiUpper(name[i])) * 16777619u;
  return h;
}

}  // namespace

TIniIndex& TIniIndex::operator=(const TIniIndex& o) {
  if (this != &o) Build(o.bytes_);
  return *this;
}

TIniIndex::~TIniIndex() { delete[] items_; }

void TIniIndex::Build(const TStr& bytes) {
  bytes_ = bytes;
  delete[] items_;
  items_ = nullptr;
  count_ = 0;
  plain_ = true;
  TIniText text(bytes_.c_str(), bytes_.size());
  TIniLine line;
  int lines = 0;
  while (text.Next(&line))
    if (line.Kind != kIniBlank) lines++;
  if (lines == 0) return;
  items_ = new TItem[lines];
  text.Rewind();
  while (text.Next(&line)) {
    if (line.Kind == kIniBlank) continue;
    const TStr& name = line.Name;
    if (line.Kind == kIniSection)
      plain_ = plain_ && !name.empty() && !IniIsBlank(name[0]) && !IniIsBlank(name[name.size() - 1]);
    else if (line.Kind == kIniEntry)
      plain_ = plain_ && count_ > 0 && !name.empty();
    TItem& item = items_[count_++];
    item.kind = (char)line.Kind;
    item.hash = NameHash(line.Name.c_str(), line.Name.size());
    item.name = line.Name;
    if (line.Kind == kIniEntry) item.value = IniReadValue(line.RawValue);
  }
}

bool TIniIndex::Answers(const char* section, const char* key) const {
  return plain_ && !IniSameName(TStr(), section) && !IniSameName(TStr(), key);
}

bool TIniIndex::Find(const char* section, const char* key, TStr* value) const {
  value->clear();
  if (IniSameName(TStr(), key)) return false;  // an empty key name reads nothing
  const uint32_t sectionHash = NameHash(section, strlen(section));
  const uint32_t keyHash = NameHash(key, strlen(key));
  bool inSection = false;
  for (int i = 0; i < count_; i++) {
    const TItem& item = items_[i];
    if (item.kind == kIniSection) {
      if (inSection) return false;  // only the first section of the name counts
      inSection = item.hash == sectionHash && !item.name.empty() && IniSameName(item.name, section);
      continue;
    }
    if (!inSection || item.hash != keyHash || !IniSameName(item.name, key)) continue;
    if (item.kind == kIniNoValue) return false;  // the first entry of the name has no value
    *value = item.value;
    return true;
  }
  return false;
}
