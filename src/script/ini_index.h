// A setup script held in memory and indexed, answering every lookup exactly
// as IniFind does (ini_text.h: the rules of the platform's profile
// functions). The profile functions look through the file again for every
// key; a product's file lists are read key by key, one pass per list and
// check, so a list of thousands of files cost seconds before the wizard
// appeared. Here each line is parsed once, and a lookup compares hashes of
// the names before the names themselves.
//
// Where the platforms may differ from these rules (a section name with blanks
// inside its brackets or none at all, entries before the first section or
// without a name, names asked for that are empty), the index says it does not
// answer and the caller asks the platform.
//
// The index never changes after it is built, so threads may share it.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "base/str.h"

class TIniIndex {
public:
  TIniIndex() {}
  explicit TIniIndex(const TStr& bytes) { Build(bytes); }
  TIniIndex(const TIniIndex& o) { Build(o.bytes_); }
  TIniIndex& operator=(const TIniIndex& o);
  ~TIniIndex();

  // Replaces the contents with the script `bytes`.
  void Build(const TStr& bytes);
  // IniFind's answer for (section, key): true and the value, or false (value
  // empty) when the section or key is missing or the key's line has no '='.
  bool Find(const char* section, const char* key, TStr* value) const;
  // Whether Find answers for (section, key) as the platforms all would: the
  // script has none of the shapes above and neither name is empty.
  bool Answers(const char* section, const char* key) const;

private:
  struct TItem {
    TStr name;
    TStr value;  // read as the profile functions return it
    uint32_t hash;
    char kind;  // kIniSection, kIniEntry or kIniNoValue
  };
  TStr bytes_;
  TItem* items_ = nullptr;
  int count_ = 0;
  bool plain_ = true;
};
