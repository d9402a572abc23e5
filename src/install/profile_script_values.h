// The setup script as the install engine reads it: the profile functions on
// the extracted script file, telling an absent key from an empty one.
#pragma once
#include "install/script_rules.h"

class TProfileScriptValues : public TScriptValues {
public:
  explicit TProfileScriptValues(const TStr& path) : path_(path) {}
  TStr Value(const char* section, const char* key) const override;
  bool Has(const char* section, const char* key) const override;

private:
  TStr path_;
};
