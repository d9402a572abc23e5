#include <windows.h>

#include "install/durable_log_store.h"
#include "uninstall/log_record.h"
#include "uninstall/profile_log_store.h"  // kLogWriteFailed

namespace {

bool ReadAll(HANDLE h, TStr* bytes) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(h, &size)) return false;
  if (size.QuadPart > (LONGLONG)kLogFileMax) {
    SetLastError(ERROR_FILE_TOO_LARGE);
    return false;
  }
  bytes->resize((size_t)size.QuadPart);
  DWORD got = 0;
  return SetFilePointer(h, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
         (bytes->empty() || ReadFile(h, bytes->buffer(), (DWORD)bytes->size(), &got, nullptr)) && got == bytes->size();
}

bool Put(HANDLE h, const TStr& bytes) {
  DWORD put = 0;
  if (!WriteFile(h, bytes.c_str(), (DWORD)bytes.size(), &put, nullptr)) return false;
  if (put == bytes.size()) return true;
  SetLastError(ERROR_DISK_FULL);
  return false;
}

// Sets where the next write goes and cuts the file there.
bool EndAt(HANDLE h, size_t bytes) {
  return SetFilePointer(h, (LONG)bytes, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER && SetEndOfFile(h);
}

}  // namespace

bool TDurableLogStore::Fail(int code, const TStr& subject) {
  unsigned error = GetLastError();
  if (!failure_.Failed()) failure_.Set(kErrorLog, code, error ? error : ERROR_WRITE_FAULT, subject);
  return false;
}

void TDurableLogStore::Close() {
  if (log_) CloseHandle((HANDLE)log_);
  if (record_) CloseHandle((HANDLE)record_);
  log_ = record_ = nullptr;
}

bool TDurableLogStore::Open(bool mayStart) {
  Close();
  recordPath_ = LogRecordPath(path_);
  SetLastError(ERROR_BAD_PATHNAME);
  if (recordPath_.empty()) return Fail(kLogRecordFailed, path_);
  HANDLE log = (HANDLE)OpenOwnFile(path_, false);
  if (!log && GetLastError() != ERROR_FILE_NOT_FOUND) return Fail(kLogWriteFailed, path_);
  HANDLE record = log ? (HANDLE)OpenOwnFile(recordPath_, false) : nullptr;
  TStr logBytes, recordBytes;
  size_t whole = 0;
  bool trusted = record && ReadAll(log, &logBytes) && ReadAll(record, &recordBytes) &&
                 CompareLogWithRecord(logBytes, &recordBytes) == kLogMatchesRecord;
  if (trusted) {
    whole = CompleteLinesLength(recordBytes);
    recordBytes.resize(whole);
    static const char kAbsent[] = "\x01";
    trusted = image_.Load(recordBytes) && image_.Read(kLogGeneral, kLogMessageString, kAbsent) != kAbsent;
  }
  if (trusted) {
    // A last line the record holds only in part was never acted on; the log
    // is brought up to what is left of the record.
    log_ = log;
    record_ = record;
    size_t logWhole = logBytes.size() < whole ? logBytes.size() : whole;
    if (!EndAt(record, whole)) return Fail(kLogRecordFailed, recordPath_);
    if (!EndAt(log, logWhole) || !Put(log, recordBytes.substr(logWhole))) return Fail(kLogWriteFailed, path_);
    startBytes_ = whole;
    // This run's entries begin with a header of their own, so they read as
    // a log of their own for the rollback of this run alone.
    section_.clear();
    return true;
  }
  if (log) CloseHandle(log);
  if (record) CloseHandle(record);
  image_.Load(TStr());
  SetLastError(ERROR_INVALID_DATA);
  if (!mayStart) return Fail(kLogRecordFailed, recordPath_);
  // The record first: at no instant does the log hold what the record lacks.
  record_ = OpenOwnFile(recordPath_, true);
  if (!record_) return Fail(kLogRecordFailed, recordPath_);
  log_ = OpenOwnFile(path_, true);
  if (!log_) return Fail(kLogWriteFailed, path_);
  startBytes_ = 0;
  section_.clear();
  return true;
}

bool TDurableLogStore::Write(const char* section, const char* key, const TStr& value) {
  if (failure_.Failed() || !log_) return false;
  static const char kAbsent[] = "\x01";
  if (image_.Read(section, key, kAbsent) == value) return true;
  TStr line = SameTextAscii(section_.c_str(), section) ? TStr() : Concat("[", section, "]\r\n");
  line += Concat(key, "=", value, "\r\n");
  if (!Put((HANDLE)record_, line)) return Fail(kLogRecordFailed, recordPath_);
  if (!Put((HANDLE)log_, line)) return Fail(kLogWriteFailed, path_);
  section_ = section;
  return image_.Write(section, key, value);
}

bool TDurableLogStore::Flush() {
  if (failure_.Failed() || !log_) return false;
  if (!FlushFileBuffers((HANDLE)record_)) return Fail(kLogRecordFailed, recordPath_);
  if (!FlushFileBuffers((HANDLE)log_)) return Fail(kLogWriteFailed, path_);
  return true;
}

bool TResumedLogStore::Ready() const {
  if (state_ == 0 && !log_.Open(false)) Fail();
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
