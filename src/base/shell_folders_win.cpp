#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "base/shell_folders.h"

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
