#include "uninstall/memory_log_store.h"

int TMemoryLogStore::Find(const char* section, const char* key) const {
  for (int i = 0; i < keys_.Count(); ++i) {
    if (SameTextAscii(sections_[i].c_str(), section) && SameTextAscii(keys_[i].c_str(), key)) return i;
  }
  return -1;
}

TStr TMemoryLogStore::Read(const char* section, const char* key, const char* fallback) const {
  int i = Find(section, key);
  return i < 0 ? TStr(fallback) : values_[i];
}

bool TMemoryLogStore::Write(const char* section, const char* key, const TStr& value) {
  if (failWrites_) return false;
  int i = Find(section, key);
  if (i >= 0) {
    values_.Set(i, value);
  } else {
    sections_.Add(section);
    keys_.Add(key);
    values_.Add(value);
  }
  return true;
}

TStr TMemoryLogStore::Text(const char* lineEnd) const {
  TStr out;
  TStrList done;
  for (int i = 0; i < sections_.Count(); ++i) {
    bool seen = false;
    for (int d = 0; d < done.Count(); ++d) seen = seen || SameTextAscii(done[d].c_str(), sections_[i].c_str());
    if (seen) continue;
    done.Add(sections_[i]);
    out += Concat("[", sections_[i], "]", lineEnd);
    for (int k = i; k < sections_.Count(); ++k) {
      if (SameTextAscii(sections_[k].c_str(), sections_[i].c_str()))
        out += Concat(keys_[k], "=", values_[k], lineEnd);
    }
  }
  return out;
}

size_t CompleteLinesLength(const TStr& bytes) {
  size_t end = bytes.size();
  while (end > 0 && bytes[end - 1] != '\n') --end;
  return end;
}

bool TMemoryLogStore::Load(const TStr& whole) {
  sections_.Clear();
  keys_.Clear();
  values_.Clear();
  TStr text = whole.substr(0, CompleteLinesLength(whole)), section;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\n", start);
    TStr line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.resize(line.size() - 1);
    if (line.empty()) continue;
    size_t equals = line.find("=");
    bool ok = true;
    if (line.size() > 2 && line[0] == '[' && line.back() == ']') section = line.substr(1, line.size() - 2);
    else if (equals != TStr::npos && equals > 0 && !section.empty())
      ok = Write(section.c_str(), line.substr(0, equals).c_str(), line.substr(equals + 1));
    else ok = false;
    if (!ok) {
      Load(TStr());
      return false;
    }
  }
  return true;
}

TStr TMemoryLogStore::Merged(const TStr& text) {
  TMemoryLogStore store;
  return store.Load(text) ? store.Text("\r\n") : TStr();
}

TStr RenumberedLists(const TStr& text) {
  static const char* const kCompanions[][2] = {{"RmDir", "Link"}, {"DefaultType", "Default"}, {"Aside", "File"}};
  TStrList seen, numbers;  // "SECTION|LIST|old number" of each entry met, and its new number
  TStr out, section;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find("\n", start);
    end = end == TStr::npos ? text.size() : end + 1;
    TStr line = text.substr(start, end - start);
    start = end;
    size_t equals = line.find("="), digits = equals;
    while (equals != TStr::npos && digits > 0 && line[digits - 1] >= '0' && line[digits - 1] <= '9') --digits;
    if (line[0] == '[') section = UpperAscii(line);
    if (line[0] == '[' || equals == TStr::npos || digits == equals || digits == 0) {
      out += line;
      continue;
    }
    TStr word = line.substr(0, digits), list = word;
    for (auto& c : kCompanions)
      if (SameTextAscii(word.c_str(), c[0])) list = c[1];
    TStr listKey = Concat(section, "|", UpperAscii(list), "|");
    TStr entryKey = listKey + line.substr(digits, equals - digits);
    int found = -1, count = 0;
    for (int i = 0; i < seen.Count(); ++i) {
      if (seen[i] == entryKey) found = i;
      if (seen[i].substr(0, listKey.size()) == listKey) ++count;
    }
    if (found < 0) {
      seen.Add(entryKey);
      numbers.Add(IntToStr(count + 1));
      found = seen.Count() - 1;
    }
    out += Concat(word, numbers[found], line.substr(equals));
  }
  return out;
}
