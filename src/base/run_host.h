// What an install or uninstall run reports as it goes, for whoever wants a
// record of it (the unattended runs' log). The engine and the uninstaller
// call it where they act; a null observer costs one test.
#pragma once
#include "base/str.h"

class TRunObserver {
public:
  // One thing done: `action` says what ("file written", "key set", ...),
  // `subject` names it (a full path, a registry key).
  virtual void Done(const char* action, const TStr& subject) = 0;
  // One thing that failed, with the system's error number (0 when none).
  virtual void Failed(const char* action, const TStr& subject, unsigned systemError) = 0;

protected:
  ~TRunObserver() {}
};

inline void NoteDone(TRunObserver* o, const char* action, const TStr& subject) {
  if (o) o->Done(action, subject);
}
inline void NoteFailed(TRunObserver* o, const char* action, const TStr& subject, unsigned systemError) {
  if (o) o->Failed(action, subject, systemError);
}
