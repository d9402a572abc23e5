#include <windows.h>

#include "package/helper_library.h"
#include "package/package_error.h"
#include "package/package_layout.h"

namespace {
HMODULE g_helperLibrary = nullptr;
THeldEntry g_helperCopy;
}  // namespace

bool ReadHelperLibrarySlot(const TStr& programPath, int cabinetOffset, TStr* slot) {
  HANDLE in = CreateFileA(programPath.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                          nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size, at;
  bool ok = false;
  if (GetFileSizeEx(in, &size)) {
    at.QuadPart = HelperLibraryStart(cabinetOffset, size.QuadPart);
    slot->resize(kHelperLibrarySlot);
    DWORD got = 0;
    ok = at.QuadPart >= 0 && SetFilePointerEx(in, at, nullptr, FILE_BEGIN) &&
         ReadFile(in, slot->buffer(), kHelperLibrarySlot, &got, nullptr) && got == kHelperLibrarySlot;
  }
  CloseHandle(in);
  return ok;
}

TPlaceResult LoadHelperLibraryAt(const TStr& path, const TStr& slot, TError* error) {
  UnloadHelperLibrary();
  unsigned systemError = 0;
  TPlaceResult placed = PlaceHeldFile(path, slot.c_str(), slot.size(), &g_helperCopy, &systemError);
  if (placed == kNameTaken) return placed;
  if (placed == kPlaceFailed) error->Set(kErrorPackage, kLibraryNotWritten, systemError, path);
  if (placed == kPlaceTampered) error->Set(kErrorPackage, kFileChanged, systemError, path);
  if (placed != kPlaced) return placed;
  // Only ever by full path: a library planted beside the package or in the
  // current folder must never be picked up in its place. The copy is held
  // (no other program can write or replace it) and holds the slot's bytes.
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  g_helperLibrary = n > 0 && n < MAX_PATH ? LoadLibraryExA(full, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH) : nullptr;
  if (!g_helperLibrary) {
    error->Set(kErrorPackage, kLibraryNotLoaded, GetLastError(), path);
    UnloadHelperLibrary();
    return kPlaceFailed;
  }
  // A library that loads but lacks a call would end every cabinet operation
  // silently; say so now.
  static const char* const calls[] = {"FDICreate", "FDICopy", "FDIDestroy"};
  for (const char* name : calls) {
    if (!GetProcAddress(g_helperLibrary, name)) {
      error->Set(kErrorPackage, kCabinetNoLibrary, 0, name);
      UnloadHelperLibrary();
      return kPlaceFailed;
    }
  }
  return kPlaced;
}

bool LoadHelperLibraryFrom(const TStr& programPath, int cabinetOffset, const TStr& folder,
                           TError* error) {
  TError local;
  if (!error) error = &local;
  TStr slot;
  TStr path = folder + "uncab.dll";
  if (!ReadHelperLibrarySlot(programPath, cabinetOffset, &slot)) {
    error->Set(kErrorPackage, kLibraryNotWritten, GetLastError(), programPath);
    return false;
  }
  TPlaceResult placed = LoadHelperLibraryAt(path, slot, error);
  if (placed == kNameTaken) error->Set(kErrorPackage, kLibraryNotWritten, ERROR_FILE_EXISTS, path);
  return placed == kPlaced;
}

void UnloadHelperLibrary() {
  if (g_helperLibrary) FreeLibrary(g_helperLibrary);
  g_helperLibrary = nullptr;
  RemoveHeldEntry(&g_helperCopy);
}

void* HelperLibraryHandle() { return g_helperLibrary; }
