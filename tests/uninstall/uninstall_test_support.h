// A throw-away installation for the uninstaller's Windows tests: files in a
// scratch folder, keys below test-only names, shortcut files on the
// prefix's desktop and programs menu, and a hand-written log that records
// them. Snapshot() lists everything a test compares before and after.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <set>
#include <string>

#include "prefix_files_win.h"
#include <vector>

#include "test_files.h"
#include "uninstall/log_record.h"
#include "uninstall/undo_steps.h"

namespace uninstall_test {

inline std::string ShellFolder(int csidl) {
  char buf[MAX_PATH] = {0};
  LPITEMIDLIST list = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) && list) {
    SHGetPathFromIDListA(list, buf);
    CoTaskMemFree(list);
  }
  return buf;
}


inline void Touch(const std::string& path, const std::string& text = "x") {
  for (size_t i = 3; i < path.size(); i++)
    if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  WriteTextFile(path, text);
}

// A log written by hand, sealed as the install seals its own: its record
// gets the log's bytes.
inline bool SealLog(const std::string& log) {
  return WriteWholeFile(LogRecordPath(log.c_str()).c_str(), ReadWholeFile(log));
}

inline bool KeyExists(HKEY root, const std::string& path) {
  HKEY k;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

inline void SetValue(HKEY root, const std::string& path, const char* name, const std::string& value) {
  HKEY k;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(k, name, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
  RegCloseKey(k);
}

inline void DeleteTree(HKEY root, const std::string& path) { DeleteKeyTree(root, path.c_str()); }

// Every file and folder below `folder`, relative to it, folders ending in '\'.
inline void ListTree(const std::string& folder, const std::string& prefix, std::set<std::string>& out) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string n = d.cFileName;
    if (n == "." || n == "..") continue;
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out.insert(prefix + n + "\\");
      ListTree(folder + "\\" + n, prefix + n + "\\", out);
    } else {
      out.insert(prefix + n);
    }
  } while (FindNextFileA(h, &d));
  FindClose(h);
}

// Every key below `path`, with its values' names and data.
inline void ListKeys(HKEY root, const std::string& path, std::set<std::string>& out) {
  HKEY k;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return;
  out.insert(path);
  char name[256];
  BYTE data[512];
  for (DWORD i = 0;; i++) {
    DWORD n = sizeof name, size = sizeof data - 1, type;
    if (RegEnumValueA(k, i, name, &n, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    data[size] = 0;
    out.insert(path + "|" + name + "=" + (const char*)data);
  }
  std::vector<std::string> subs;
  for (DWORD i = 0;; i++) {
    DWORD n = sizeof name;
    if (RegEnumKeyExA(k, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subs.push_back(name);
  }
  RegCloseKey(k);
  for (auto& s : subs) ListKeys(root, path + "\\" + s, out);
}

}  // namespace uninstall_test
