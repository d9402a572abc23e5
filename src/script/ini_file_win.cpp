#include <windows.h>

#include "base/files.h"
#include "script/ini_file.h"
#include "base/profile_values.h"

// Larger files are read through the profile functions.
const size_t kIndexedFileMax = 16 << 20;

bool LoadIniIndex(const TStr& fileName, TIniIndex* index) {
  TStr bytes;
  bool missing;
  // A missing file reads as an empty one, every key at its default.
  if (!ReadSmallFile(fileName, kIndexedFileMax, &bytes, &missing) && !missing) return false;
  index->Build(bytes);
  return true;
}

bool TIniFile::Indexed(const char* section, const char* key) const {
  volatile LONG* state = (volatile LONG*)&indexState_;
  if (InterlockedCompareExchange(state, 1, 0) == 0) InterlockedExchange(state, LoadIniIndex(fileName_, &index_) ? 2 : 3);
  // Another thread may be building it: its result is waited for.
  while (InterlockedCompareExchange(state, 1, 1) == 1) Sleep(0);
  return *state == 2 && index_.Answers(section, key);
}

bool TIniFile::Has(const char* section, const char* key) const {
  TStr value;
  if (Indexed(section, key)) return index_.Find(section, key, &value);
  // A default no script value can hold (a line break) comes back only for an
  // absent key.
  char buf[8];
  GetPrivateProfileStringA(section, key, "\n", buf, sizeof buf, fileName_.c_str());
  return buf[0] != '\n';
}

TStr TIniFile::ReadString(const char* section, const char* key, const char* fallback) const {
  if (Indexed(section, key)) {
    TStr value;
    if (index_.Find(section, key, &value)) return value;
    TStr given(fallback ? fallback : "");
    return given.size() > (size_t)kProfileValueMax ? given.substr(0, kProfileValueMax) : given;
  }
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
  InterlockedExchange((volatile LONG*)&indexState_, 0);  // read afresh after any write
  if (WritePrivateProfileStringA(section, key, value, fileName_.c_str())) return true;
  error->Set(kErrorScript, kIniWriteFailed, GetLastError(), fileName_);
  return false;
}

bool TIniFile::WriteInteger(const char* section, const char* key, int value, TError* error) const {
  return WriteString(section, key, IntToStr(value).c_str(), error);
}

bool TIniFile::WriteBool(const char* section, const char* key, bool value, TError* error) const {
  return WriteString(section, key, value ? "1" : "0", error);
}
