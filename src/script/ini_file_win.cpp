#include <windows.h>

#include "script/ini_file.h"
#include "script/profile_values.h"

TStr TIniFile::ReadString(const char* section, const char* key, const char* fallback) const {
  char buf[kProfileValueMax + 1];
  DWORD n = GetPrivateProfileStringA(section, key, fallback ? fallback : "", buf, sizeof buf,
                                     fileName_.c_str());
  return TStr(buf, n);
}

int TIniFile::ReadInteger(const char* section, const char* key, int fallback) const {
  return ProfileInteger(ReadString(section, key, ""), fallback);
}

bool TIniFile::ReadBool(const char* section, const char* key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

bool TIniFile::WriteString(const char* section, const char* key, const char* value, TError* error) const {
  if (WritePrivateProfileStringA(section, key, value, fileName_.c_str())) return true;
  error->Set(kIniWriteFailed, GetLastError(), fileName_);
  return false;
}

bool TIniFile::WriteInteger(const char* section, const char* key, int value, TError* error) const {
  return WriteString(section, key, IntToStr(value).c_str(), error);
}

bool TIniFile::WriteBool(const char* section, const char* key, bool value, TError* error) const {
  return WriteString(section, key, value ? "1" : "0", error);
}
