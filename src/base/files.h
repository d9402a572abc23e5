// File-system questions every subsystem asks.
#pragma once
#include "base/str.h"

bool FileExists(const TStr& path);
bool FolderExists(const TStr& path);
// The user's temporary folder with its trailing backslash, or empty when the
// system cannot say.
TStr TempFolderPath();
// The running program's file as the system reports it: the package for the
// setup program (it runs inside the package's own process), the uninstaller
// for /U. Empty when the path does not fit the system's limit.
TStr RunningProgramPath();
// The system folder, without a trailing backslash; empty when the system
// cannot say.
TStr SystemFolderPath();
// Creates every missing folder of `path` (a folder path, or a file path's
// folder part when filePath is true).
bool CreateFolders(const TStr& path, bool filePath);

// Reads a whole file of at most `limit` bytes into `bytes`. False when it
// cannot be opened or read, or is larger; a missing file is reported apart
// (`missing` true) so callers can treat it as empty, as the profile
// functions do.
bool ReadSmallFile(const TStr& path, size_t limit, TStr* bytes, bool* missing);
