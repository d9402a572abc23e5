// Finding the cabinet and the helper library of the running package.
#pragma once
#include "base/str.h"
#include "package/package_layout.h"

// The running program's own file: folder of argument 0 plus the own file name,
// so a renamed package still finds itself.
TStr ProgramPath();

// Reads the version values of `programPath` and places the cabinet. With no
// version information the path stays empty.
TPackagePlace LocatePackageFor(const TStr& programPath);

// Sets the process-wide cabinet path and offset for the running program.
void LocatePackage();

// Copies the helper library out of `programPath` into `folder` + "uncab.dll"
// and loads that copy by its full path. Returns false when the copy cannot be
// written in full or will not load; no half-written copy is left behind.
bool LoadHelperLibraryFrom(const TStr& programPath, int cabinetOffset, const TStr& folder);
bool LoadHelperLibrary();     // from ProgramPath() into TempFolder
void UnloadHelperLibrary();   // frees the library and deletes the copy

// The loaded helper library (an HMODULE), or null.
void* HelperLibraryHandle();
