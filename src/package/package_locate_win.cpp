#include <windows.h>
#include <stdlib.h>

#include "base/process_state.h"
#include "package/package_locate.h"
#include "package/version_info.h"

namespace {
HMODULE g_helperLibrary = nullptr;
TStr g_helperCopyPath;
}  // namespace

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

static bool CopyHelperLibrary(const TStr& programPath, int cabinetOffset, const TStr& target) {
  HANDLE in = CreateFileA(programPath.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER fileSize;
  bool ok = false;
  if (GetFileSizeEx(in, &fileSize)) {
    long long start = HelperLibraryStart(cabinetOffset, fileSize.QuadPart);
    LARGE_INTEGER at;
    at.QuadPart = start;
    char* slot = (char*)malloc(kHelperLibrarySlot);
    DWORD got = 0;
    if (slot && start >= 0 && SetFilePointerEx(in, at, nullptr, FILE_BEGIN) &&
        ReadFile(in, slot, kHelperLibrarySlot, &got, nullptr) && got == kHelperLibrarySlot) {
      HANDLE out = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
      if (out != INVALID_HANDLE_VALUE) {
        DWORD put = 0;
        ok = WriteFile(out, slot, kHelperLibrarySlot, &put, nullptr) && put == kHelperLibrarySlot;
        ok = CloseHandle(out) && ok;
        if (!ok) DeleteFileA(target.c_str());
      }
    }
    free(slot);
  }
  CloseHandle(in);
  return ok;
}

bool LoadHelperLibraryFrom(const TStr& programPath, int cabinetOffset, const TStr& folder) {
  UnloadHelperLibrary();
  g_helperCopyPath = WithBackslash(folder) + "uncab.dll";
  if (!CopyHelperLibrary(programPath, cabinetOffset, g_helperCopyPath)) return false;
  // Only ever by full path: a library planted beside the package or in the
  // current folder must never be picked up in its place.
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(g_helperCopyPath.c_str(), MAX_PATH, full, nullptr);
  if (n == 0 || n >= MAX_PATH) return false;
  g_helperLibrary = LoadLibraryExA(full, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  return g_helperLibrary != nullptr;
}

bool LoadHelperLibrary() { return LoadHelperLibraryFrom(ProgramPath(), CabinetOffset, TempFolder); }

void UnloadHelperLibrary() {
  if (g_helperLibrary) FreeLibrary(g_helperLibrary);
  g_helperLibrary = nullptr;
  if (!g_helperCopyPath.empty()) DeleteFileA(g_helperCopyPath.c_str());
  g_helperCopyPath.clear();
}

void* HelperLibraryHandle() { return g_helperLibrary; }
