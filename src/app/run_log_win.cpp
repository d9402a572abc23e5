#include <windows.h>

#include "app/run_log.h"

TRunLog::~TRunLog() {
  if (file_) CloseHandle((HANDLE)file_);
}

bool TRunLog::Open(const TStr& path, TError* error) {
  // The link itself is opened, never what it points at: an administrator's
  // log must not be turned into a write to another file.
  HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error->Set(kErrorLog, 1, GetLastError(), path);
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) || info.nNumberOfLinks > 1) {
    CloseHandle(h);
    error->Set(kErrorLog, 1, ERROR_ACCESS_DENIED, path);
    return false;
  }
  file_ = h;
  return true;
}

void TRunLog::Line(const TStr& text) {
  if (!file_) return;
  TStr line = text + "\r\n";
  // One write per line and no buffer of our own: once WriteFile returns the
  // line belongs to the system, which keeps it even if this process dies.
  DWORD put = 0;
  WriteFile((HANDLE)file_, line.c_str(), (DWORD)line.size(), &put, nullptr);
}

bool TRunLog::Ask(const TStr& question, const TStr& caption, bool unattendedAnswer) {
  const char* answer = unattendedAnswer ? " - answered Yes" : " - answered No";
  Line(RunLogLine("question", Concat(caption, ": ", question, answer)));
  return unattendedAnswer;
}

void TRunLog::Tell(TNoticeKind, const TStr& text, const TStr& caption) {
  Line(RunLogLine("message", Concat(caption, ": ", text)));
}

void TRunLog::Done(const char* action, const TStr& subject) { Line(RunLogLine(action, subject)); }

void TRunLog::Failed(const char* action, const TStr& subject, unsigned systemError) {
  Line(RunLogFailureLine(action, subject, systemError, SystemErrorText(systemError)));
}
