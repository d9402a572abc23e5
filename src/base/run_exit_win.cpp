#include <windows.h>

#include "base/run_exit.h"

void (*AbandonCleanup)() = nullptr;
void (*AbandonLeave)(int exitCode) = nullptr;

void AbandonRun(int exitCode) {
  // Once only: a cleanup that itself fails to make a window ends here again.
  void (*cleanup)() = AbandonCleanup;
  AbandonCleanup = nullptr;
  if (cleanup) cleanup();
  if (AbandonLeave) AbandonLeave(exitCode);
  ExitProcess((UINT)exitCode);
}
