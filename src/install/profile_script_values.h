// The setup script as the install engine reads it: the extracted script file
// read by the profile functions' rules, telling an absent key from an empty
// one. The file is indexed once (script/ini_index.h), at construction, and
// the index is not changed afterwards, so the install worker and the wizard
// may read it at once.
#pragma once
#include "install/script_rules.h"
#include "script/ini_index.h"

class TProfileScriptValues : public TScriptValues {
public:
  explicit TProfileScriptValues(const TStr& path);
  TStr Value(const char* section, const char* key) const override;
  bool Has(const char* section, const char* key) const override;

private:
  TStr path_;
  TIniIndex index_;
  bool indexed_ = false;  // else read through the profile functions
};
