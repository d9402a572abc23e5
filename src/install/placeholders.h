// Setup-script values that name places: placeholders, targets with
// arguments, icon references.
#pragma once
#include "base/str.h"

// The folders and names the placeholders stand for.
struct TPlaceholderValues {
  TStr WindowsFolder;  // %Windows%, without a trailing backslash
  TStr InstallPath;    // %InstallPath%, the destination as the wizard holds it
  TStr LogName;        // %UninstallLog%, the current uninstall log name
};

// Replaces %Windows%, %InstallPath% and %UninstallLog%, in that order, each at
// its first occurrence only (exact case).
TStr ExpandPlaceholders(const TStr& value, const TPlaceholderValues& places);
// Replaces only the first %InstallPath% (association icons and commands).
TStr ExpandInstallPath(const TStr& value, const TStr& installPath);

// A value with a '%' anywhere is expanded; any other is taken relative to the
// destination folder.
TStr ResolveScriptPath(const TStr& value, const TPlaceholderValues& places);

// A shortcut target "path /args": the target is cut before its first " /" and
// the arguments are the text from that '/' on. A '/' without a blank before
// it is part of the path and gives no arguments.
void SplitTargetArguments(const TStr& value, TStr* target, TStr* arguments);

// An icon reference "file,index": the index is the text after the first comma
// with surrounding blanks and control characters removed, decimal or
// hexadecimal after '$'; anything else (and no comma) gives 0.
void SplitIconReference(const TStr& value, TStr* file, int* index);

// The folder of a target path without its trailing backslash (the shortcut's
// working folder).
TStr WorkingFolderOf(const TStr& target);
