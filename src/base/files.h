// File-system questions every subsystem asks.
#pragma once
#include "base/str.h"

bool FileExists(const TStr& path);
bool FolderExists(const TStr& path);
// Creates every missing folder of `path` (a folder path, or a file path's
// folder part when filePath is true).
bool CreateFolders(const TStr& path, bool filePath);
