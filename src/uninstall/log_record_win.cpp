#include <windows.h>

#include "base/files.h"
#include "base/plain_path.h"
#include "uninstall/log_record.h"

TStr LogRecordPath(const TStr& logPath) {
  // Not GetWindowsDirectory: on a terminal server a program may be given a
  // Windows folder of the user's own there, which the user can write.
  char windows[MAX_PATH];
  UINT n = GetSystemWindowsDirectoryA(windows, sizeof windows);
  char full[MAX_PATH];
  char* name = nullptr;
  DWORD m = logPath.empty() ? 0 : GetFullPathNameA(logPath.c_str(), sizeof full, full, &name);
  if (!n || n >= sizeof windows || !m || m >= sizeof full) return TStr();
  return WithBackslash(TStr(windows, n)) + LogRecordName(TStr(full, m));
}

void* OpenOwnFile(const TStr& path, bool create) {
  const DWORD access = GENERIC_READ | GENERIC_WRITE | DELETE, flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
  if (create) DeletePlainFile(TStr(), path);
  HANDLE h = CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, create ? CREATE_NEW : OPEN_EXISTING, flags,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  TPlainResult r = CheckPlainEntry(h, path.c_str(), false, true);
  if (r == kPathPlain) return h;
  CloseHandle(h);
  if (r == kPathLinked) SetLastError(ERROR_CANT_ACCESS_FILE);
  return nullptr;
}

static bool CutFile(const TStr& path, size_t bytes) {
  HANDLE h = (HANDLE)OpenOwnFile(path, false);
  if (!h) return false;
  bool ok = SetFilePointer(h, (LONG)bytes, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER && SetEndOfFile(h) &&
            FlushFileBuffers(h);
  DWORD error = GetLastError();
  CloseHandle(h);
  SetLastError(error);
  return ok;
}

bool CutLogAndRecord(const TStr& logPath, const TStr& recordPath, size_t bytes) {
  return CutFile(logPath, bytes) && CutFile(recordPath, bytes);
}
