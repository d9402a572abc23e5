#include <windows.h>

#include "base/process_state.h"
#include "package/package_locate.h"
#include "package/version_info.h"

TStr ProgramPath() { return FolderPart(ProgramArg0) + OwnFileName; }

TPackagePlace LocatePackageFor(const TStr& programPath) {
  TVersionResource version(programPath);
  if (!version.Found()) return TPackagePlace{TStr(), 0};
  return PlacePackage(programPath, ReadVersionString(version, "cabnam"),
                      ReadVersionString(version, "kestin"));
}

void LocatePackage() {
  TPackagePlace place = LocatePackageFor(ProgramPath());
  CabinetPath = place.cabinetPath;
  CabinetOffset = place.cabinetOffset;
}
