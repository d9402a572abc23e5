// TRegIniFile: string values below one registry root, addressed by a current
// section (a key path).
#pragma once
#include "base/error.h"
#include "base/str.h"

// TError code of a value that could not be written; Subject is the key path
// and value name.
const int kRegIniWriteFailed = 0x202;

class TRegIniFile {
public:
  // rootName: "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
  // "HKEY_USERS", "HKEY_CURRENT_CONFIG" or "HKEY_DYN_DATA".
  explicit TRegIniFile(const char* rootName);
  // For reading: the section becomes `path` when that key exists and can be
  // read; otherwise the current section is empty. Nothing is created, so a
  // lookup leaves no empty keys behind and works without write permission.
  void OpenSection(const TStr& path);
  // For writing: the key is created when missing, then opened.
  void CreateSection(const TStr& path);
  const TStr& Section() const { return section_; }

  // The value's text up to its first zero character, whatever its length;
  // `fallback` when the section is empty or the value missing.
  TStr ReadString(const char* name, const char* fallback) const;
  // Writes a string value (REG_SZ, its zero included), creating the key when
  // missing. False with `error` filled when there is no section or the write
  // fails.
  bool WriteString(const char* name, const TStr& value, TError* error) const;

private:
  void* root_;
  TStr section_;
};
