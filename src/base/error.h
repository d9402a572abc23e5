// What failed, as a value. Library code below the top of a run fills a TError
// and returns; only the top of the run (start-up, the wizard, the uninstaller)
// decides whether and how to show it, and who owns the box. The install run
// calls the same library code from its worker thread, where a box of its own
// would have no owner.
#pragma once
#include "base/str.h"

struct TError {
  // The failing layer's own code; 0 means nothing failed.
  int Code = 0;
  // The system's error number at the failure (GetLastError), 0 when none.
  unsigned SystemError = 0;
  // What the failure concerns: a file, a key, a stored name.
  TStr Subject;

  bool Failed() const { return Code != 0; }
  void Set(int code, unsigned systemError, const TStr& subject) {
    Code = code;
    SystemError = systemError;
    Subject = subject;
  }
  void Clear() { Code = 0; SystemError = 0; Subject.clear(); }
};

// Whether a system error number says a name was refused (a character the
// system cannot use there, a path too long), not that a disk is full or a
// file damaged: the message then names the name.
bool IsRefusedName(unsigned systemError);
