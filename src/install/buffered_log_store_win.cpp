#include <windows.h>

#include "base/plain_path.h"
#include "install/buffered_log_store.h"
#include "uninstall/profile_log_store.h"

bool TBufferedLogStore::Write(const char* section, const char* key, const TStr& value) {
  if (failure_.Failed() || !image_.Write(section, key, value)) return false;
  if (++pending_ >= kFlushEvery) return Flush();
  return true;
}

bool TBufferedLogStore::Flush() {
  if (failure_.Failed()) return false;
  pending_ = 0;
  // The profile functions read "\r\n" and "\n" alike; the file is written
  // with the system's own line ends.
  TStr out = image_.Text("\r\n");
  TStr temp = path_ + ".new";
  // CREATE_NEW: a file of that name this run did not write is never
  // overwritten; a leftover of an earlier run of ours is removed first only
  // when it is not a link (deleted through a handle that follows none).
  DeletePlainFile(TStr(), temp);
  HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = h != INVALID_HANDLE_VALUE;
  DWORD error = ok ? 0 : GetLastError();
  if (ok) {
    DWORD put = 0;
    ok = WriteFile(h, out.c_str(), (DWORD)out.size(), &put, nullptr) && put == out.size();
    if (!ok) error = GetLastError();
    if (!CloseHandle(h) && ok) {
      ok = false;
      error = GetLastError();
    }
    if (ok && !MoveFileExA(temp.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      ok = false;
      error = GetLastError();
    }
    if (!ok) DeleteFileA(temp.c_str());
  }
  if (!ok) failure_.Set(kErrorLog, kLogWriteFailed, error ? error : ERROR_WRITE_FAULT, path_);
  return ok;
}
