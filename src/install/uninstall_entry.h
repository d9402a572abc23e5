// The product's entry in the system's list of installed programs and the
// uninstaller file its command starts.
#pragma once
#include "base/error.h"
#include "base/str.h"

// Where the entries live, below HKEY_LOCAL_MACHINE.
inline constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The uninstaller path (Windows folder, backslash, name) in double quotes,
// then " /U " and the log path in double quotes. Entries of earlier versions
// hold the uninstaller path unquoted; UninstallerOfCommand and
// FolderFromUninstallString read both.
TStr UninstallCommandLine(const TStr& uninstallerPath, const TStr& logPath);
// The same command with " /S" behind it: the unattended uninstall, kept in
// the entry's QuietUninstallString for the system's management tools.
TStr QuietUninstallCommandLine(const TStr& uninstallerPath, const TStr& logPath);

// Failure codes of the Windows side.
enum {
  kEntryOk = 0,
  kEntryKeyFailed,        // the entry's registry key could not be written
  kEntryForeignFile,      // a file of the uninstaller's name is not our program image
  kEntryCopyFailed,       // the program image could not be copied
};

struct TUninstallEntry {
  TStr SectionName;    // key name below kUninstallKey
  TStr DisplayName;    // [General] ProgramName
  TStr UninstallerPath;
  TStr LogPath;
};

// Writes the uninstaller file (our own program image: the bytes of
// `packagePath` before its helper library, HelperLibraryStart with
// `cabinetOffset`) and then the entry. An existing file of that name is
// replaced only when it is a program image of ours; the entry is written only
// once the file is in place, so it never points at a missing or foreign
// file. Fills `err` and returns false on failure.
bool WriteUninstallEntry(const TUninstallEntry& entry, const TStr& packagePath, int cabinetOffset,
                         TError& err);
