// What failed, as a value. Library code below the top of a run fills a TError
// and returns; only the top of the run (start-up, the wizard, the uninstaller)
// decides whether and how to show it, and who owns the box. The install run
// calls the same library code from its worker thread, where a box of its own
// would have no owner.
#pragma once
#include "base/str.h"

// The layer a failure comes from. Each layer numbers its failures its own
// way; the domain keeps equal numbers of two layers apart, and the top of a
// run picks the text by it.
enum TErrorDomain : unsigned char {
  kErrorNone = 0,
  kErrorSystem,   // starting a program, loading a system library
  kErrorStart,    // the start-up and the release's loader
  kErrorPackage,  // the cabinet, the helper library, files the run placed
  kErrorScript,   // the setup script's file, its registry writes, the earlier installation
  kErrorInstall,  // the install run
  kErrorEntry,    // the uninstall entry and the uninstaller file
  kErrorLog,      // the uninstall log and the unattended run's log
  kErrorShell,    // registry texts and COM objects of the program's own
};

struct TError {
  TErrorDomain Domain = kErrorNone;
  // The failing layer's own code; 0 means nothing failed.
  int Code = 0;
  // The system's error number at the failure (GetLastError), 0 when none.
  unsigned SystemError = 0;
  // What the failure concerns: a file, a key, a stored name.
  TStr Subject;

  bool Failed() const { return Code != 0; }
  void Set(TErrorDomain domain, int code, unsigned systemError, const TStr& subject) {
    Domain = domain;
    Code = code;
    SystemError = systemError;
    Subject = subject;
  }
  bool Is(TErrorDomain domain, int code) const { return Domain == domain && Code == code; }
  void Clear() {
    Domain = kErrorNone;
    Code = 0;
    SystemError = 0;
    Subject.clear();
  }
};

// The system's own text for an error number, on one line without its
// trailing line end; empty for 0 or a number the system has no text for.
TStr SystemErrorText(unsigned systemError);

// Whether a system error number says a name was refused (a character the
// system cannot use there, a path too long), not that a disk is full or a
// file damaged: the message then names the name.
bool IsRefusedName(unsigned systemError);
