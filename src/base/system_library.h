// Loading a library of the system (the HTTP library for the registration,
// and the like) at run time. Only the copy in the system folder is ever taken:
// loading by bare name would search the package's own folder first, where a
// file of that name may have been planted.
#pragma once
#include "base/error.h"

// TError code of a system library that could not be loaded; Subject is the
// full path tried.
const int kSystemLibraryFailed = 0x001;

// Loads the system folder's copy of `fileName` (a plain file name such as
// "wininet.dll"; a name with a path in it is refused). Returns the module
// handle (an HMODULE) or null with `error` filled.
void* LoadSystemLibrary(const char* fileName, TError* error);

// Makes the system folder the only place libraries loaded by bare name come
// from (the shell's and COM's helpers, and the like). Without it the
// package's own folder is searched first, and a package is typically started
// from a Downloads folder where anyone may have left a file named like a
// system library. Systems older than Windows 7 with its library-loading update
// lack the call; they keep their search order.
void RestrictLibrarySearch();
