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

bool WriteTempFile(const TStr& temp, const TStr& bytes, unsigned* error) {
  // CREATE_NEW: a file of that name this run did not write is never
  // overwritten; a leftover of an earlier run is removed first only when it
  // is not a link (deleted through a handle that follows none).
  DeletePlainFile(TStr(), temp);
  HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return false;
  }
  DWORD put = 0;
  bool ok = WriteFile(h, bytes.c_str(), (DWORD)bytes.size(), &put, nullptr) && put == bytes.size() &&
            FlushFileBuffers(h);
  *error = ok ? 0 : GetLastError();
  if (!CloseHandle(h) && ok) {
    ok = false;
    *error = GetLastError();
  }
  if (!ok) DeleteFileA(temp.c_str());
  if (!ok && !*error) *error = ERROR_WRITE_FAULT;
  return ok;
}

bool WriteLogRecord(const TStr& logPath, const TStr& logBytes, TError* failure) {
  TStr record = LogRecordPath(logPath);
  unsigned error = ERROR_BAD_PATHNAME;
  TStr temp = record + ".new";
  bool ok = !record.empty() && WriteTempFile(temp, logBytes, &error);
  if (ok && !MoveFileExA(temp.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    error = GetLastError();
    DeleteFileA(temp.c_str());
  }
  if (!ok) failure->Set(kErrorLog, kLogRecordFailed, error, record.empty() ? logPath : record);
  return ok;
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
