#include <windows.h>

#include "base/files.h"
#include "install/buffered_log_store.h"
#include "uninstall/log_record.h"
#include "uninstall/profile_log_store.h"  // kLogWriteFailed

bool TBufferedLogStore::Write(const char* section, const char* key, const TStr& value) {
  if (failure_.Failed() || !image_.Write(section, key, value)) return false;
  if (++pending_ >= flushEvery_) return Flush();
  return true;
}

bool TBufferedLogStore::Flush() {
  if (failure_.Failed()) return false;
  pending_ = 0;
  // The profile functions read "\r\n" and "\n" alike; the file is written
  // with the system's own line ends.
  TStr out = image_.Text("\r\n");
  TStr temp = path_ + ".new";
  unsigned error = 0;
  if (!WriteTempFile(temp, out, &error)) {
    failure_.Set(kErrorLog, kLogWriteFailed, error, path_);
    return false;
  }
  // A record that cannot be written leaves the log as it was, so the two
  // still agree for the rollback.
  if (!WriteLogRecord(path_, out, &failure_)) {
    DeleteFileA(temp.c_str());
    return false;
  }
  if (!MoveFileExA(temp.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    failure_.Set(kErrorLog, kLogWriteFailed, GetLastError(), path_);
    DeleteFileA(temp.c_str());
    return false;
  }
  return true;
}

bool TBufferedLogStore::Resume() {
  TStr record = LogRecordPath(path_), bytes;
  bool missing = false;
  if (record.empty() || !ReadSmallFile(record, kLogFileMax, &bytes, &missing) || bytes.empty() ||
      !image_.Load(bytes)) {
    failure_.Set(kErrorLog, kLogRecordFailed, missing ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_DATA,
                 record.empty() ? path_ : record);
    return false;
  }
  flushEvery_ = 1;
  return true;
}

bool TResumedLogStore::Ready() const {
  if (state_ == 0 && !log_.Resume()) Fail();
  if (state_ == 0) state_ = 1;
  return state_ == 1;
}

// Told once: the first failure is the one that explains the rest.
void TResumedLogStore::Fail() const {
  state_ = 2;
  const TError& f = log_.Failure();
  NoteFailed(host_, "uninstall log written", f.Failed() ? f.Subject : log_.Path(), f.SystemError);
}

TStr TResumedLogStore::Read(const char* section, const char* key, const char* fallback) const {
  return Ready() ? log_.Read(section, key, fallback) : TStr(fallback);
}

bool TResumedLogStore::Write(const char* section, const char* key, const TStr& value) {
  if (!Ready()) return false;
  if (log_.Write(section, key, value)) return true;
  Fail();
  return false;
}
