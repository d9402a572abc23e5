#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "app/platform.h"
#include "base/process_state.h"

TStr GetWindowsDir() {
  char buf[260];
  UINT n = GetWindowsDirectoryA(buf, sizeof buf);
  return n < sizeof buf ? TStr(buf, n) : TStr();
}

TStr GetSpecialFolder(int csidl) {
  LPITEMIDLIST list = nullptr;
  TStr result;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) && list) {
    char buf[MAX_PATH];
    if (SHGetPathFromIDListA(list, buf)) result = buf;
    CoTaskMemFree(list);
  }
  return result;
}

TStr RegReadString(void* root, const TStr& keyPath, const char* valueName) {
  HKEY key;
  if (RegOpenKeyExA((HKEY)root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return TStr();
  char buf[260] = {0};
  DWORD size = sizeof buf;
  TStr result;
  if (RegQueryValueExA(key, valueName, nullptr, nullptr, (BYTE*)buf, &size) == ERROR_SUCCESS) {
    if (size > sizeof buf) size = sizeof buf;
    while (size > 0 && buf[size - 1] == 0) size--;
    result = TStr(buf, size);
  }
  RegCloseKey(key);
  return result;
}

bool RegWriteValue(void* root, const TStr& keyPath, const char* valueName, unsigned type,
                   const void* data, unsigned length) {
  HKEY key;
  if (RegCreateKeyExA((HKEY)root, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  LONG rc = RegSetValueExA(key, valueName, 0, type, (const BYTE*)data, length);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

unsigned RunProgram(const char* application, const TStr& commandLine, int showState, bool wait) {
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = (WORD)showState;
  PROCESS_INFORMATION pi;
  TStr line = commandLine;  // CreateProcessA may write into the command line
  if (!CreateProcessA(application, line.buffer(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &si, &pi))
    return GetLastError();
  DWORD code = 0;
  if (wait) {
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &code);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

void* CreateComObject(const void* classId) {
  IUnknown* unknown = nullptr;
  if (FAILED(CoCreateInstance(*(const CLSID*)classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IUnknown, (void**)&unknown)))
    return nullptr;
  return unknown;
}

void DetectWindowsNT() {
  OSVERSIONINFOA info;
  ZeroMemory(&info, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
  WindowsNT = GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT ? 1 : 0;
}
