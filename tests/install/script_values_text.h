// Setup-script values from an INI text, for the native tests of the install
// cores: sections and keys compare without regard to letter case; a key
// written with an empty value is present (Has) but reads as empty.
#pragma once
#include <string>
#include <vector>

#include "install/script_rules.h"

class TScriptText : public TScriptValues {
public:
  explicit TScriptText(const char* text) {
    std::string section, line;
    std::string all = std::string(text) + "\n";
    for (char c : all) {
      if (c != '\n') { line += c; continue; }
      if (!line.empty() && line[0] == '[') {
        section = line.substr(1, line.find(']') - 1);
      } else if (line.find('=') != std::string::npos) {
        size_t eq = line.find('=');
        entries_.push_back({section, line.substr(0, eq), line.substr(eq + 1)});
      }
      line.clear();
    }
  }
  TStr Value(const char* section, const char* key) const override {
    const Entry* e = Find(section, key);
    return e ? TStr(e->value.c_str()) : TStr();
  }
  bool Has(const char* section, const char* key) const override { return Find(section, key) != nullptr; }

private:
  struct Entry { std::string section, key, value; };
  const Entry* Find(const char* section, const char* key) const {
    for (const Entry& e : entries_)
      if (SameTextAscii(e.section.c_str(), section) && SameTextAscii(e.key.c_str(), key)) return &e;
    return nullptr;
  }
  std::vector<Entry> entries_;
};
