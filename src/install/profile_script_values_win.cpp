#include <windows.h>

#include "install/profile_script_values.h"
#include "script/ini_file.h"
#include "script/profile_values.h"

TProfileScriptValues::TProfileScriptValues(const TStr& path) : path_(path) {
  indexed_ = LoadIniIndex(path_, &index_);
}

TStr TProfileScriptValues::Value(const char* section, const char* key) const {
  if (indexed_ && index_.Answers(section, key)) {
    TStr value;
    index_.Find(section, key, &value);
    return value;
  }
  char buf[kProfileValueMax + 1];
  DWORD n = GetPrivateProfileStringA(section, key, "", buf, sizeof buf, path_.c_str());
  return TStr(buf, n);
}

bool TProfileScriptValues::Has(const char* section, const char* key) const {
  TStr value;
  if (indexed_ && index_.Answers(section, key)) return index_.Find(section, key, &value);
  // A default no script value can hold (a line break) comes back only for an
  // absent key.
  char buf[8];
  GetPrivateProfileStringA(section, key, "\n", buf, sizeof buf, path_.c_str());
  return buf[0] != '\n';
}
