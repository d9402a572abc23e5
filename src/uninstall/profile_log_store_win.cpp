#include <windows.h>

#include "base/code_page_text.h"
#include "script/ini_file.h"
#include "uninstall/profile_log_store.h"

// A profile path without a drive or a server would be taken relative to the
// Windows folder by the profile functions: the log would land there.
static bool FullPath(const TStr& p) {
  return (p.size() >= 3 && p[1] == ':' && p[2] == '\\') || (p.size() >= 2 && p[0] == '\\' && p[1] == '\\');
}

TProfileLogStore::TProfileLogStore(const TStr& path, const TStr& bytes) : path_(path), index_(bytes), indexState_(3) {
  TStr declared;
  index_.Find(kLogGeneral, kLogCodePage, &declared);
  codePage_ = LogCodePageRule(declared, LegacyCodePage());
}

TStr TProfileLogStore::Read(const char* section, const char* key, const char* fallback) const {
  if (!FullPath(path_)) return TStr(fallback);
  if (indexState_ == 0) {
    indexState_ = LoadIniIndex(path_, &index_) ? 1 : 2;
    TStr declared;
    index_.Find(kLogGeneral, kLogCodePage, &declared);
    codePage_ = LogCodePageRule(declared, LegacyCodePage());
  }
  // Given bytes are read by the index's rules even where a platform might
  // read them otherwise: they are all there is.
  if (indexState_ == 3 || (indexState_ == 1 && index_.Answers(section, key))) {
    TStr value;
    if (!index_.Find(section, key, &value)) return TStr(fallback ? fallback : "");
    return ToActiveCodePage(value, codePage_);
  }
  char buf[kLogValueMax + 1];
  DWORD n = GetPrivateProfileStringA(section, key, fallback ? fallback : "", buf, sizeof buf, path_.c_str());
  return TStr(buf, n);
}

bool TProfileLogStore::Write(const char* section, const char* key, const TStr& value) {
  indexState_ = 0;  // read afresh after any write
  if (FullPath(path_) && WritePrivateProfileStringA(section, key, value.c_str(), path_.c_str())) return true;
  if (!failure_.Failed()) failure_.Set(kErrorLog, kLogWriteFailed, FullPath(path_) ? GetLastError() : ERROR_BAD_PATHNAME, path_);
  return false;
}
