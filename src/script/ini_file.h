// TIniFile: reads and writes one INI file through the platform's profile
// functions, so values are found exactly as those functions find them
// (letter case, comments, quotes, blanks). Holds nothing but the file name.
#pragma once
#include "base/str.h"

class TIniFile {
public:
  explicit TIniFile(const TStr& fileName) : fileName_(fileName) {}
  const TStr& FileName() const { return fileName_; }

  TStr ReadString(const char* section, const char* key, const char* fallback) const;
  int ReadInteger(const char* section, const char* key, int fallback) const;
  bool ReadBool(const char* section, const char* key, bool fallback) const;
  // A failed write shows "Ini file write error. File name: ..." and returns
  // false; callers may go on.
  bool WriteString(const char* section, const char* key, const char* value) const;
  bool WriteInteger(const char* section, const char* key, int value) const;
  bool WriteBool(const char* section, const char* key, bool value) const;

private:
  TStr fileName_;
};
