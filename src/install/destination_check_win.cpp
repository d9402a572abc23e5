// Whether the install can write into the destination folder, found out
// before the install starts and leaving nothing behind: folders made for the
// test are removed again, the test file is one this check created.
#include <windows.h>

#include "wizard/destination_check.h"
#include "wizard/input_rules.h"

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
  if (error) {
    char buf[256];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, buf,
                             sizeof buf, nullptr);
    while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n' || buf[n - 1] == ' ')) n--;
    if (n) text += Concat("\r\n", TStr(buf, n));
  }
  return text;
}
