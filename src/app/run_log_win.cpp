#include <windows.h>

#include "app/run_log.h"
#include "base/plain_path.h"

TRunLog::~TRunLog() {
  if (file_) CloseHandle((HANDLE)file_);
}

bool TRunLog::Open(const TStr& path, TError* error) {
  // Never appended through a link or a second name: an administrator's log
  // must not be turned into a write to another file. An existing file is
  // opened as it is; a new one is made new, which also fails on a link that
  // leads nowhere instead of creating its target.
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  const DWORD ways[] = {OPEN_EXISTING, CREATE_NEW};
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int i = 0; i < 2 && h == INVALID_HANDLE_VALUE && n && n < sizeof full; i++)
    h = CreateFileA(full, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, ways[i],
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error->Set(kErrorLog, 1, GetLastError(), path);
    return false;
  }
  // The handle must reach the folder's own entry of that name, also where
  // the system shows a file link as a plain file.
  if (CheckPlainEntry(h, full, false, true) != kPathPlain) {
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
