#include <windows.h>

#include "app/entry.h"
#include "app/startup.h"

void (*InstallRoad)(TSetupSession& session) = nullptr;

void RunInstallMode() {
  // The top of the run: the start-up only says what failed.
  TSetupSession session;
  TError failure = SetupStartup(session);
  if (failure.Failed()) {
    ShowStartupError(failure);
    return;
  }
  if (InstallRoad) InstallRoad(session);
  SetupTeardown(session);
  if (!session.Cancel.IsSet() && !session.LaunchCommand.empty())
    WinExec(session.LaunchCommand.c_str(), SW_SHOWNORMAL);
}
