#include <windows.h>

#include "app/entry.h"
#include "app/startup.h"
#include "base/process_state.h"

void (*InstallRoad)() = nullptr;

void RunInstallMode() {
  // The top of the run: the start-up only says what failed.
  TError failure = SetupStartup();
  if (failure.Failed()) {
    ShowStartupError(failure);
    return;
  }
  if (InstallRoad) InstallRoad();
  SetupTeardown();
  if (!CancelFlag.IsSet() && LaunchWanted) WinExec(LaunchCommand.c_str(), SW_SHOWNORMAL);
}
