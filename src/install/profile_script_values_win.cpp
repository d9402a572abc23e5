#include <windows.h>

#include "install/profile_script_values.h"
#include "script/ini_file.h"
#include "base/profile_values.h"

bool TProfileScriptValues::Indexed() const {
  volatile LONG* state = (volatile LONG*)&state_;
  if (InterlockedCompareExchange(state, 1, 0) == 0) {
    LONG done = LoadIniIndex(path_, &index_) ? 2 : 3;
    InterlockedExchange(state, done);
  }
  // Another thread may be building it: its result is waited for.
  while (InterlockedCompareExchange(state, 0, 0) == 1) Sleep(0);
  return *state == 2;
}

TStr TProfileScriptValues::Value(const char* section, const char* key) const {
  if (Indexed() && index_.Answers(section, key)) {
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
  if (Indexed() && index_.Answers(section, key)) return index_.Find(section, key, &value);
  // A default no script value can hold (a line break) comes back only for an
  // absent key.
  char buf[8];
  GetPrivateProfileStringA(section, key, "\n", buf, sizeof buf, path_.c_str());
  return buf[0] != '\n';
}
