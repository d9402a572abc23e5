// The plain-text log of an unattended run (LOG=): one line per action and
// one per failure, each handed to the system as it happens, so a run that
// crashes still leaves what it did.
#pragma once
#include "base/error.h"
#include "base/run_host.h"
#include "base/str.h"

// One log line, without its line end: "file written: C:\App\a.exe", or for a
// failure "FAILED file written: C:\App\a.exe: Access is denied. (5)". Line
// breaks and other control characters inside become blanks, so a name can
// never forge a line of its own.
TStr RunLogLine(const char* action, const TStr& subject);
TStr RunLogFailureLine(const char* action, const TStr& subject, unsigned systemError, const TStr& systemText);

// The unattended runs' host: no window and no one to ask. A question takes
// its unattended answer, and questions, notices, what was done and what
// failed are all lines of the log (nothing when no log was asked for).
class TRunLog : public TRunHost {
public:
  ~TRunLog();
  // Opens `path` for appending (an existing file keeps what it holds). A
  // folder, a link or a file that cannot be opened is refused: `error`
  // says why and nothing is written.
  bool Open(const TStr& path, TError* error);
  bool IsOpen() const { return file_ != nullptr; }
  void Line(const TStr& text);
  bool Ask(const TStr& question, const TStr& caption, bool unattendedAnswer) override;
  void Tell(TNoticeKind kind, const TStr& text, const TStr& caption) override;
  void Done(const char* action, const TStr& subject) override;
  void Failed(const char* action, const TStr& subject, unsigned systemError) override;

private:
  void* file_ = nullptr;
};
