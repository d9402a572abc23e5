// Every section and key the setup program reads from its script, in one
// table, so a tool can tell a misspelt name from a real one.
#pragma once

// How the setup program reads a value.
enum TScriptValueKind {
  kValueText,
  kValueInteger,    // the profile integer rule
  kValueColour,     // integer rule; a text that is no number paints black
  kValueCharSet,    // integer; its low byte is a font character set
  kValueFileList,   // names a section of files to install
  kValueShortcuts,  // names a section of shortcuts
  kValueStoredFile, // a file name as the package stores it
};

// A key pattern: '#' stands for a decimal number from 1 without leading
// zeros ("Option#_List", "Name#", "#").
struct TScriptKey {
  const char* Pattern;
  TScriptValueKind Kind;
  int MaxNumber;  // largest number the program reads; 0: no limit
};

enum TScriptSectionKind {
  kSectionNamed,      // a section of fixed name
  kSectionFileList,   // any name, given by an option's _List, _Sys or _Reg
  kSectionShortcuts,  // any name, given by an option's _Dsk or _Prg
};

struct TScriptSection {
  const char* Name;  // null for the kinds named by values
  TScriptSectionKind Kind;
  const TScriptKey* Keys;
  int KeyCount;
};

// All sections: the named ones first, then the file-list and shortcut kinds.
const TScriptSection* ScriptSections(int* count);
const TScriptSection* ScriptSectionOfKind(TScriptSectionKind kind);

// The key of `section` that `key` names (ASCII letter case ignored), with the
// number it carries in *number (0 for none), or null. A number with leading
// zeros or beyond the pattern's limit still matches, so callers can say why
// it is never read: *number is then -1 or above MaxNumber.
const TScriptKey* ScriptKeyFor(const TScriptSection& section, const char* key, int* number);

// The support-folder files the setup program reads by name.
const char* const* ScriptSupportFiles(int* count);
