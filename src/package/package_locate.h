// Finding the cabinet and the helper library of the running package.
#pragma once
#include "base/str.h"
#include "package/package_layout.h"

// Reads the version values of `programPath` and places the cabinet. With no
// version information the path stays empty.
TPackagePlace LocatePackage(const TStr& programPath);
