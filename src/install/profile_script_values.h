// The setup script as the install engine reads it: the extracted script file
// read by the profile functions' rules, telling an absent key from an empty
// one. The file is indexed once (script/ini_index.h), at the first read, and
// the index is not changed afterwards, so the install worker and the wizard
// may read it at once.
#pragma once
#include "install/script_rules.h"
#include "script/ini_index.h"

class TProfileScriptValues : public TScriptValues {
public:
  explicit TProfileScriptValues(const TStr& path) : path_(path) {}
  TStr Value(const char* section, const char* key) const override;
  bool Has(const char* section, const char* key) const override;

private:
  // Builds the index at the first call from any thread; false when the file
  // is read through the profile functions.
  bool Indexed() const;
  TStr path_;
  mutable TIniIndex index_;
  mutable long state_ = 0;  // 0 not built, 1 being built, 2 built, 3 not possible
};
