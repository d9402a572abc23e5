#include <windows.h>

#include "app/run_log.h"
#include "base/plain_path.h"

TRunLog::~TRunLog() {
  if (file_) CloseHandle((HANDLE)file_);
}

bool TRunLog::Open(const TStr& path, TError* error) {
  // Never appended through a link or a second name: an administrator's log
  // must not be turned into a write to another file.
  char full[MAX_PATH];
  char* name = nullptr;
  DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, &name);
  TStr folder = n && n < sizeof full ? FolderPart(TStr(full, n)) : TStr();
  TPlainFolders held;
  void* h = nullptr;
  TPlainResult r = folder.empty() ? kPathFailed : held.Enter(folder, folder, false);
  if (r == kPathPlain) r = held.Open(FileNamePart(TStr(full, n)), kPlainAppend, &h);
  if (r != kPathPlain) {
    unsigned why = held.SystemError();
    error->Set(kErrorLog, 1, r == kPathLinked || !why ? ERROR_ACCESS_DENIED : why, path);
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
