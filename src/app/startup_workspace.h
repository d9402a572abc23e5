// Where this run's files go in the temporary folder, which every program the
// user runs can write to. The fixed places are used when they are free:
// uncab.dll in the temporary folder, the setup script in its "kestin"
// folder. A fixed name that a file this run did not create already has is
// left alone, and the file goes into a new folder of this run's own
// ("kestin-" and a number: the one the release's loader made for the program
// itself) instead. Every file is held from its writing to
// its removal, and only what this run created is removed.
#pragma once
#include "base/error.h"
#include "base/str.h"

// The folder the release's loader made for this run (a full path ending in
// a backslash, or null): files that cannot take their fixed places go there
// instead of into a new folder. The loader holds and removes it.
void UseLoaderWorkspace(const char* folder);
// Writes the helper library's `slot` and loads it from there.
TError PlaceWorkspaceLibrary(const TStr& tempFolder, const TStr& slot);
// Writes the setup script's `content`; *scriptPath is where it went.
TError PlaceWorkspaceScript(const TStr& tempFolder, const TStr& content, TStr* scriptPath);
// Removes the script, the library copy and the folders this run made.
void RemoveWorkspace();
