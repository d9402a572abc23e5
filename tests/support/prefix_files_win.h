// Reading and preparing what a Wine test installs into: file texts, source
// trees copied to scratch folders, script edits, registry strings.
#pragma once
#include <doctest/doctest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "test_files.h"

// The whole file as text; empty when it cannot be read.
inline std::string Text(const std::string& path) {
  std::vector<uint8_t> b = ReadWholeFile(path);
  return std::string(b.begin(), b.end());
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Copies the folder `from` with everything below it to `to`.
inline void CopyTree(const std::string& from, const std::string& to) {
  CreateDirectoryA(to.c_str(), nullptr);
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((from + "\\*").c_str(), &fd);
  REQUIRE(h != INVALID_HANDLE_VALUE);
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) CopyTree(from + "\\" + name, to + "\\" + name);
    else REQUIRE(CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE));
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

// `s` with the first `what` replaced; the test fails when there is none.
inline std::string Replace(std::string s, const std::string& what, const std::string& by) {
  size_t at = s.find(what);
  REQUIRE(at != std::string::npos);
  return s.replace(at, what.size(), by);
}

// A string value, or "<no key>" / "<no value>".
inline std::string RegString(HKEY root, const std::string& key, const char* name) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != 0) return "<no key>";
  char buf[1024];
  DWORD size = sizeof buf, type = 0;
  std::string v = RegQueryValueExA(k, name, nullptr, &type, (BYTE*)buf, &size) == 0 ? std::string(buf) : "<no value>";
  RegCloseKey(k);
  return v;
}

// A symbolic link at `link` to `target`, made by the Unix `ln` through the Z:
// drive (Wine's Windows side cannot make one); false where that fails.
inline bool MakeSymbolicLink(const std::string& target, const std::string& link) {
  auto unixName = (char*(__cdecl*)(const wchar_t*))(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                                         "wine_get_unix_file_name");
  auto asUnix = [&](const std::string& path) {
    char* name = unixName(std::wstring(path.begin(), path.end()).c_str());
    std::string text = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return text;
  };
  // A dangling link cannot be seen from this side: its target stands in until the link is there.
  bool dangling = !Exists(target);
  if (!unixName || (dangling && !WriteTextFile(target, ""))) return false;
  std::string cmd = "Z:\\bin\\ln -s \"" + asUnix(target) + "\" \"" + asUnix(link) + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  bool started = CreateProcessA("Z:\\bin\\ln", &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  // A Unix program started from Wine is not waited for through its handle.
  for (int i = 0; started && i < 100 && !Exists(link); i++) Sleep(50);
  if (dangling) DeleteFileA(target.c_str());
  return started && (dangling || Exists(link));
}
