// The plain-text log of an unattended run (LOG=): one line per action and
// one per failure, each handed to the system as it happens, so a run that
// crashes still leaves what it did.
#pragma once
#include "base/error.h"
#include "base/run_observer.h"
#include "base/str.h"

// One log line, without its line end: "file written: C:\App\a.exe", or for a
// failure "FAILED file written: C:\App\a.exe: Access is denied. (5)". Line
// breaks and other control characters inside become blanks, so a name can
// never forge a line of its own.
TStr RunLogLine(const char* action, const TStr& subject);
TStr RunLogFailureLine(const char* action, const TStr& subject, unsigned systemError, const TStr& systemText);

class TRunLog : public TRunObserver {
public:
  ~TRunLog();
  // Opens `path` for appending (an existing file keeps what it holds). A
  // folder, a link or a file that cannot be opened is refused: `error`
  // says why and nothing is written.
  bool Open(const TStr& path, TError* error);
  bool IsOpen() const { return file_ != nullptr; }
  void Line(const TStr& text);
  void Done(const char* action, const TStr& subject) override;
  void Failed(const char* action, const TStr& subject, unsigned systemError) override;

private:
  void* file_ = nullptr;
};

// The system's text for an error number, on one line ("" when it has none).
TStr SystemErrorText(unsigned systemError);
