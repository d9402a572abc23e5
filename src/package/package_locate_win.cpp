#include <windows.h>

#include "package/package_locate.h"
#include "package/version_info.h"

TPackagePlace LocatePackage(const TStr& programPath) {
  TVersionResource version(programPath);
  if (!version.Found()) return TPackagePlace();
  return PlacePackage(programPath, ReadVersionString(version, "cabnam"),
                      ReadVersionString(version, "kestin"));
}

