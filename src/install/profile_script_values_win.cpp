#include <windows.h>

#include "install/profile_script_values.h"
#include "script/profile_values.h"

TStr TProfileScriptValues::Value(const char* section, const char* key) const {
  char buf[kProfileValueMax + 1];
  DWORD n = GetPrivateProfileStringA(section, key, "", buf, sizeof buf, path_.c_str());
  return TStr(buf, n);
}

bool TProfileScriptValues::Has(const char* section, const char* key) const {
  // A default no script value can hold (a line break) comes back only for an
  // absent key.
  char buf[8];
  GetPrivateProfileStringA(section, key, "\n", buf, sizeof buf, path_.c_str());
  return buf[0] != '\n';
}
