// A setup script read from its bytes, by the rules the platform's profile
// functions (GetPrivateProfileStringA) apply to an INI file, with the line
// each value came from. The setup program itself reads through the platform;
// this reader lets a tool see the same values anywhere and say where they are.
//
// The rules:
// - lines end at '\n'; blanks (space, tab, CR, VT, FF and the DOS end-of-file
//   mark 0x1A) around a line are dropped; a leading UTF-8 byte-order mark is
//   skipped;
// - a line starting with '[' and holding a ']' opens a section named by the
//   text between the '[' and the last ']', exactly as written;
// - any other line is an entry: the name is the text before the first '='
//   with blanks dropped, the value the text after it with blanks dropped; a
//   line without '=' is an entry without a value, which reads as missing;
//   a ';' comment is such an entry whose name nobody asks for;
// - a lookup trims the names asked for, compares them without regard to ASCII
//   letter case, takes the first section of that name only and in it the
//   first entry of that name; entries before the first section are never found;
// - a value read strips one pair of enclosing double or single quotes and is
//   cut to kIniValueMax characters.
#pragma once
#include <stddef.h>

#include "base/str.h"

const size_t kIniValueMax = 2047;

enum TIniLineKind {
  kIniBlank,    // empty or only blanks
  kIniSection,  // Name is the section name
  kIniEntry,    // Name and RawValue (quotes still on, nothing cut)
  kIniNoValue,  // an entry line without '=': Name is the whole line
};

struct TIniLine {
  TIniLineKind Kind = kIniBlank;
  int Number = 0;  // from 1
  TStr Name;
  TStr RawValue;
};

// Walks the lines of a script held in memory; does not copy it, so the bytes
// must outlive the reader.
class TIniText {
public:
  TIniText(const char* bytes, size_t size);
  // The next line, or false after the last.
  bool Next(TIniLine* line);
  void Rewind();

private:
  const char* bytes_;
  size_t size_;
  size_t start_;  // after the byte-order mark
  size_t pos_;
  int number_;
};

// The value a profile read of (section, key) gives: true and the value (quotes
// stripped, cut) with its line, or false (value empty, line 0) when the
// section or the key is missing or the key's line has no '='.
bool IniFind(const char* bytes, size_t size, const char* section, const char* key, TStr* value,
             int* line);

// A raw value as a profile read returns it: enclosing quotes stripped, cut to
// kIniValueMax characters, ended at a zero byte.
TStr IniReadValue(const TStr& raw);

// ASCII-case-insensitive equality of a name as written and a name asked for,
// the latter trimmed of blanks first.
bool IniSameName(const TStr& stored, const char* asked);

// Blanks as the profile functions count them.
bool IniIsBlank(char c);
