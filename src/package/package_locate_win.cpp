#include <windows.h>

#include "base/process_state.h"
#include "package/package_locate.h"
#include "package/version_info_win.h"

TStr ReadVersionString(const void* block, const char* name) {
  TStr query = TStr("\\StringFileInfo\\040904E4\\") + name;
  char* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(const_cast<void*>(block), query.c_str(), (void**)&value, &length) || !value ||
      length == 0)
    return TStr();
  // The reported length counts the terminating zero.
  return TStr(value, length - 1);
}

TStr ProgramPath() { return FolderPart(ProgramArg0) + OwnFileName; }

TPackagePlace LocatePackageFor(const TStr& programPath) {
  TPackagePlace place = {TStr(), 0};
  DWORD unused = 0;
  DWORD size = GetFileVersionInfoSizeA(programPath.c_str(), &unused);
  if (size == 0) return place;
  void* block = GlobalAlloc(GMEM_FIXED, size);
  if (!block) return place;
  if (GetFileVersionInfoA(programPath.c_str(), 0, size, block))
    place = PlacePackage(programPath, ReadVersionString(block, "cabnam"),
                         ReadVersionString(block, "kestin"));
  GlobalFree(block);
  return place;
}

void LocatePackage() {
  TPackagePlace place = LocatePackageFor(ProgramPath());
  CabinetPath = place.cabinetPath;
  CabinetOffset = place.cabinetOffset;
}
