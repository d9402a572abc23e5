#include <windows.h>

#include "base/files.h"

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
  // Walk the path and create each missing level; drive roots and UNC shares
  // already exist.
  for (size_t i = 0; i < folder.size(); i++) {
    if (folder[i] != '\\' || i == 0 || folder[i - 1] == ':' || folder[i - 1] == '\\') continue;
    TStr level = folder.substr(0, i);
    if (!FolderExists(level) && !CreateDirectoryA(level.c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
  }
  return true;
}
