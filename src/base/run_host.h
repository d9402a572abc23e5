// How an install or uninstall run talks to the outside: the questions it
// asks, what it tells, how far it is, and what it did. The run never shows
// anything itself. The wizard hosts it with boxes it owns and its progress
// page, the unattended runs with their plain-text log and exit codes, and
// tests with a record in memory.
#pragma once
#include "base/str.h"

enum TNoticeKind { kNoticeError, kNoticeWarning, kNoticeInformation };

class TRunHost {
public:
  // A Yes/No question; `unattendedAnswer` is what a run without a user
  // answers. True for Yes.
  virtual bool Ask(const TStr& question, const TStr& caption, bool unattendedAnswer) = 0;
  // Something stands in the way that the user may clear (a file another
  // program holds): true to try again (Retry), false to give up (Cancel). A
  // host without such a choice asks Yes or No, and a run without a user
  // gives up (its log says so and names the problem).
  virtual bool AskRetry(const TStr& problem, const TStr& caption) { return Ask(problem, caption, false); }
  // Something for the user to read: a failure, what stayed, the done message.
  virtual void Tell(TNoticeKind kind, const TStr& text, const TStr& caption) = 0;
  // The run's progress, 0..100.
  virtual void Progress(int percent) { (void)percent; }
  // One thing done: `action` says what ("file written", "key set", ...),
  // `subject` names it (a full path, a registry key).
  virtual void Done(const char* action, const TStr& subject) { (void)action, (void)subject; }
  // One thing that failed, with the system's error number (0 when none).
  virtual void Failed(const char* action, const TStr& subject, unsigned systemError) {
    (void)action, (void)subject, (void)systemError;
  }

protected:
  ~TRunHost() {}
};

inline void NoteDone(TRunHost* host, const char* action, const TStr& subject) {
  if (host) host->Done(action, subject);
}
inline void NoteFailed(TRunHost* host, const char* action, const TStr& subject, unsigned systemError) {
  if (host) host->Failed(action, subject, systemError);
}
