#include <windows.h>

#include "base/system_library.h"

void* LoadSystemLibrary(const char* fileName, TError* error) {
  char path[MAX_PATH];
  UINT n = GetSystemDirectoryA(path, MAX_PATH);
  TStr full;
  if (n > 0 && n < MAX_PATH) full = Concat(TStr(path, n), "\\", fileName);
  bool plain = *fileName != 0;
  for (const char* p = fileName; *p; p++)
    if (*p == '\\' || *p == '/' || *p == ':') plain = false;
  if (full.empty() || !plain) {
    error->Set(kErrorSystem, kSystemLibraryFailed, ERROR_INVALID_NAME, fileName);
    return nullptr;
  }
  // With a full path, the library's own imports are looked for beside it,
  // that is in the system folder too.
  HMODULE module = LoadLibraryExA(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) error->Set(kErrorSystem, kSystemLibraryFailed, GetLastError(), full);
  return module;
}

void RestrictLibrarySearch() {
  typedef BOOL(WINAPI * TSetDefaultDllDirectories)(DWORD);
  TSetDefaultDllDirectories setDirectories = (TSetDefaultDllDirectories)(void*)GetProcAddress(
      GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
  if (setDirectories) setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
