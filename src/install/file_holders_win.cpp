#include <windows.h>
#include <restartmanager.h>

#include "base/system_library.h"
#include "install/file_holders.h"

namespace {
typedef DWORD(WINAPI* StartFn)(DWORD*, DWORD, WCHAR*);
typedef DWORD(WINAPI* RegisterFn)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT, LPCWSTR*);
typedef DWORD(WINAPI* ListFn)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, DWORD*);
typedef DWORD(WINAPI* EndFn)(DWORD);
}  // namespace

TStr FileHolders(const TStr& path) {
  // Looked up at run time: older systems lack the library, and a program
  // that imported it could not start there.
  TError error;
  HMODULE rm = (HMODULE)LoadSystemLibrary("rstrtmgr.dll", &error);
  if (!rm) return TStr();
  StartFn start = (StartFn)(void*)GetProcAddress(rm, "RmStartSession");
  RegisterFn add = (RegisterFn)(void*)GetProcAddress(rm, "RmRegisterResources");
  ListFn list = (ListFn)(void*)GetProcAddress(rm, "RmGetList");
  EndFn end = (EndFn)(void*)GetProcAddress(rm, "RmEndSession");
  TStr names;
  WCHAR key[CCH_RM_SESSION_KEY + 1], wide[MAX_PATH];
  DWORD session;
  if (start && add && list && end && MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) &&
      start(&session, 0, key) == ERROR_SUCCESS) {
    LPCWSTR files[1] = {wide};
    // The message names one holder: with several, the list does not fit and
    // the file alone is named.
    RM_PROCESS_INFO info[1];
    UINT needed = 0, count = 1;
    DWORD reasons = 0;
    if (add(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS &&
        list(session, &needed, &count, info, &reasons) == ERROR_SUCCESS) {
      char name[MAX_PATH];
      if (count && WideCharToMultiByte(CP_ACP, 0, info[0].strAppName, -1, name, sizeof name, nullptr, nullptr))
        names = name;
    }
    end(session);
  }
  return names;  // the library stays: it is asked again at the next Retry
}
