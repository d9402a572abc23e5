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
