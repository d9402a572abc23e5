#include <windows.h>

#include "base/files.h"
#include "base/path_root.h"

bool FileExists(const TStr& path) {
  if (path.empty()) return false;
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const TStr& path) {
  if (path.empty()) return false;
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolders(const TStr& path, bool filePath) {
  TStr folder = filePath ? FolderPart(path) : WithBackslash(path);
  // Walk the path and create each missing level below its root: a drive's
  // root or a share (\\server\share) exists or does not, and is never made.
  for (size_t i = PathRootLength(folder); i < folder.size(); i++) {
    if (folder[i] != '\\' || i == 0 || folder[i - 1] == ':' || folder[i - 1] == '\\') continue;
    TStr level = folder.substr(0, i);
    if (!FolderExists(level) && !CreateDirectoryA(level.c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
  }
  return true;
}

bool ReadSmallFile(const TStr& path, size_t limit, TStr* bytes, bool* missing) {
  bytes->clear();
  *missing = false;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    *missing = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
    return false;
  }
  DWORD high = 0;
  DWORD size = GetFileSize(h, &high);
  bool ok = size != INVALID_FILE_SIZE && high == 0 && size <= limit;
  if (ok && size) {
    bytes->resize(size);
    DWORD got = 0;
    ok = ReadFile(h, bytes->buffer(), size, &got, nullptr) && got == size;
    if (!ok) bytes->clear();
  }
  CloseHandle(h);
  return ok;
}

TStr RunningProgramPath() {
  char path[261];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n >= sizeof path) n = 0;  // cut off: no usable path
  return TStr(path, n);
}

TStr SystemFolderPath() {
  char path[260];
  UINT n = GetSystemDirectoryA(path, sizeof path);
  return n < sizeof path ? TStr(path, n) : TStr();
}

TStr TempFolderPath() {
  DWORD need = GetTempPathA(0, nullptr);
  if (need == 0) return TStr();
  TStr path;
  path.resize(need);
  DWORD n = GetTempPathA(need, path.buffer());
  if (n == 0 || n >= need) return TStr();
  path.resize(n);
  return path;
}
