// Stand-in helper library: reports which copy of it was loaded. Unless built
// bare, it offers the three FDI calls the start-up checks for (they do
// nothing). The planted build leaves a mark when it is loaded at all, in the
// file KESTIN_PLANTED_MARKER names, so tests see a load even when it fails
// later.
#include <windows.h>

#ifndef PROBE_VALUE
#define PROBE_VALUE 42
#endif
extern "C" __declspec(dllexport) int __cdecl KestinProbe() { return PROBE_VALUE; }

#ifndef PROBE_BARE
extern "C" __declspec(dllexport) void* __cdecl FDICreate() { return nullptr; }
extern "C" __declspec(dllexport) int __cdecl FDICopy() { return 0; }
extern "C" __declspec(dllexport) int __cdecl FDIDestroy() { return 0; }
#endif

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
#if PROBE_VALUE == 7
  char marker[MAX_PATH];
  if (reason == DLL_PROCESS_ATTACH && GetEnvironmentVariableA("KESTIN_PLANTED_MARKER", marker, MAX_PATH)) {
    HANDLE h = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
#else
  (void)reason;
#endif
  return TRUE;
}
