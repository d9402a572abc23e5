#include <windows.h>

#include "app/entry.h"
#include "base/process_state.h"
#include "package/package_locate.h"

static bool FileExists(const TStr& path) {
  if (path.empty()) return false;
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void RunInstallMode() {
  LocatePackage();
  if (!FileExists(CabinetPath)) {
    MessageBoxA(nullptr, "No CAB files.", "Error", MB_ICONERROR);
    return;
  }
  // Until the wizard exists, say what was found so a run can be checked by eye.
  TStr text = TStr("Package found.\n\nCabinet: ") + CabinetPath + "\nOffset: " +
              IntToStr(CabinetOffset);
  MessageBoxA(nullptr, text.c_str(), "Kestin Setup", MB_ICONINFORMATION);
}
