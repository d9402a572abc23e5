// TIniFile: reads and writes one INI file through the platform's profile
// functions, so values are found exactly as those functions find them
// (letter case, comments, quotes, blanks). Holds nothing but the file name.
#pragma once
#include "base/error.h"
#include "base/str.h"

// TError code of a write that did not reach the file; Subject is the file name.
const int kIniWriteFailed = 0x201;

class TIniFile {
public:
  explicit TIniFile(const TStr& fileName) : fileName_(fileName) {}
  const TStr& FileName() const { return fileName_; }

  TStr ReadString(const char* section, const char* key, const char* fallback) const;
  int ReadInteger(const char* section, const char* key, int fallback) const;
  bool ReadBool(const char* section, const char* key, bool fallback) const;
  // A failed write returns false and fills `error` (kIniWriteFailed, the
  // system's reason, the file name); nothing is shown here, so the install
  // worker may call it. Callers may go on, and the top of the run shows
  // ScriptErrorText (script/script_errors.h) when it decides to.
  bool WriteString(const char* section, const char* key, const char* value, TError* error) const;
  bool WriteInteger(const char* section, const char* key, int value, TError* error) const;
  bool WriteBool(const char* section, const char* key, bool value, TError* error) const;

private:
  TStr fileName_;
};
