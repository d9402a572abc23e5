#include <windows.h>

#include "base/registry_value.h"
#include "script/reg_ini_file.h"

static HKEY RootByName(const char* name) {
  static const struct { const char* name; HKEY key; } roots[] = {
      {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},   {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
      {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {"HKEY_USERS", HKEY_USERS},
      {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}, {"HKEY_DYN_DATA", HKEY_DYN_DATA},
  };
  for (const auto& r : roots)
    if (lstrcmpiA(r.name, name) == 0) return r.key;
  return HKEY_LOCAL_MACHINE;
}

TRegIniFile::TRegIniFile(const char* rootName) : root_(RootByName(rootName)) {}

void TRegIniFile::OpenSection(const TStr& path) {
  HKEY key;
  section_.clear();
  if (RegOpenKeyExA((HKEY)root_, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
    section_ = path;
    RegCloseKey(key);
  }
}

void TRegIniFile::CreateSection(const TStr& path) {
  HKEY key;
  section_.clear();
  if (RegCreateKeyExA((HKEY)root_, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) == ERROR_SUCCESS) {
    section_ = path;
    RegCloseKey(key);
  }
}

TStr TRegIniFile::ReadString(const char* name, const char* fallback) const {
  TStr result(fallback);
  if (section_.empty()) return result;
  HKEY key;
  if (RegOpenKeyExA((HKEY)root_, section_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return result;
  TStr value;
  // The text up to the first zero character.
  if (RegReadValueBytes(key, name, &value)) result = TStr(value.c_str());
  RegCloseKey(key);
  return result;
}

bool TRegIniFile::WriteString(const char* name, const TStr& value, TError* error) const {
  LONG rc = ERROR_INVALID_PARAMETER;  // no section to write to
  HKEY key;
  if (!section_.empty()) {
    rc = RegCreateKeyExA((HKEY)root_, section_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                         nullptr);
    if (rc == ERROR_SUCCESS) {
      rc = RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
      RegCloseKey(key);
    }
  }
  if (rc == ERROR_SUCCESS) return true;
  error->Set(kErrorScript, kRegIniWriteFailed, (unsigned)rc, Concat(section_, "\\", name));
  return false;
}
