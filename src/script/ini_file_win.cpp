#include <windows.h>

#include "base/message_box.h"
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

bool TIniFile::WriteString(const char* section, const char* key, const char* value) const {
  if (WritePrivateProfileStringA(section, key, value, fileName_.c_str())) return true;
  TStr text = "Ini file write error. File name: " + fileName_;
  ShowMessage(nullptr, text.c_str(), "Error", MB_OK);
  return false;
}

bool TIniFile::WriteInteger(const char* section, const char* key, int value) const {
  return WriteString(section, key, IntToStr(value).c_str());
}

bool TIniFile::WriteBool(const char* section, const char* key, bool value) const {
  return WriteString(section, key, value ? "1" : "0");
}
