// How a run ends: its exit codes, and the way out for a run that cannot go
// on from wherever it is.
#pragma once

// Process exit codes. The interactive modes end with kExitDone whatever the
// user chose, and with kExitRefused only when Setup could not start or could
// not show its windows; the unattended runs report every outcome here.
enum TExitCode {
  kExitDone = 0,              // installed, or removed
  kExitRefused = 1,           // refused, or could not start, before anything was changed
  kExitRolledBack = 2,        // failed; everything done so far was undone
  kExitRollbackIncomplete = 3,  // failed, and not everything could be undone or removed
};

// Ends the run at once with `exitCode`, for a failure nothing above could
// handle (the system gives the program no window). What the top of the run
// registered in AbandonCleanup is removed first, then AbandonLeave ends the
// process (the loader's way out, which also removes the program and its
// folder); without one the process simply ends.
[[noreturn]] void AbandonRun(int exitCode);
extern void (*AbandonCleanup)();
extern void (*AbandonLeave)(int exitCode);
