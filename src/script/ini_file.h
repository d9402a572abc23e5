// TIniFile: reads and writes one INI file. Values are found exactly as the
// platform's profile functions find them (letter case, comments, quotes,
// blanks): writes go through those functions, and reads are answered from an
// index of the file (script/ini_index.h) built by the same rules at the first
// read and again after each write, so a list of thousands of keys is not a
// pass over the file per key. A file the index cannot hold is read through
// the profile functions.
#pragma once
#include "base/error.h"
#include "base/str.h"
#include "script/ini_index.h"
#include "script/script_values.h"

// TError code of a write that did not reach the file; Subject is the file name.
const int kIniWriteFailed = 0x201;

// Indexes an INI file for reading (a missing file as an empty one). False
// when the file cannot be read or is too large to hold; it is then read
// through the profile functions.
bool LoadIniIndex(const TStr& fileName, TIniIndex* index);

// The index is built at the first read, from whichever thread comes first,
// and stays as it is until a write through this object: the install worker
// and the wizard may read at once, and edits made to the file before the
// first read are seen.
class TIniFile : public TScriptValues {
public:
  explicit TIniFile(const TStr& fileName) : fileName_(fileName) {}
  const TStr& FileName() const { return fileName_; }

  TStr Value(const char* section, const char* key) const override { return ReadString(section, key, ""); }
  bool Has(const char* section, const char* key) const override;

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
  // Builds the index when it is not built yet; false when (section, key)
  // must be read through the profile functions.
  bool Indexed(const char* section, const char* key) const;
  TStr fileName_;
  mutable TIniIndex index_;
  mutable long indexState_ = 0;  // 0 not built, 1 being built, 2 built, 3 not possible
};
