// Whether the install can write into the destination folder, found out
// before the install starts and leaving nothing behind: folders made for the
// test are removed again, the test file is one this check created.
#include <windows.h>

#include "install/destination_check.h"
#include "base/error.h"
#include "install/folder_rules.h"

long long FreeBytes(const TStr& folder) {
  TStr root = DestinationRoot(folder);
  ULARGE_INTEGER avail;
  if (root.empty() || !GetDiskFreeSpaceExA(root.c_str(), &avail, nullptr, nullptr)) return -1;
  return (long long)avail.QuadPart;
}

TStr CheckDestinationWritable(const TStr& folder) {
  TStr path = WithBackslash(folder);
  // Folders that do not exist yet, made from the root down.
  TStr made[64];
  int madeCount = 0;
  TStr failed;
  DWORD error = 0;
  // The root (a drive or a share) is there or the folder cannot be written.
  for (size_t i = DestinationRoot(folder).size(); i < path.size() && failed.empty(); i++) {
    if (path[i] != '\\' && path[i] != '/') continue;
    TStr part = path.substr(0, i);
    DWORD attr = GetFileAttributesA(part.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES) {
      if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) failed = part;
      continue;
    }
    if (!CreateDirectoryA(part.c_str(), nullptr)) {
      error = GetLastError();
      if (error == ERROR_ALREADY_EXISTS) continue;
      failed = part;
    } else if (madeCount < 64) {
      made[madeCount++] = part;
    }
  }
  if (failed.empty()) {
    char probe[MAX_PATH];
    if (GetTempFileNameA(path.c_str(), "kst", 0, probe)) DeleteFileA(probe);
    else {
      error = GetLastError();
      failed = folder;
    }
  }
  while (madeCount > 0) RemoveDirectoryA(made[--madeCount].c_str());
  if (failed.empty()) return TStr();
  TStr text = Concat("The destination folder cannot be created or written:\r\n", failed);
  TStr reason = SystemErrorText(error);
  if (!reason.empty()) text += Concat("\r\n", reason);
  return text;
}
