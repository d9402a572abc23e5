#include <windows.h>

#include "app/entry.h"
#include "app/startup.h"
#include "base/process_state.h"
#include "wizard/wizard.h"

void RunInstallMode() {
  // The top of the run: the start-up only says what failed.
  TError failure = SetupStartup();
  if (failure.Failed()) {
    ShowStartupError(failure);
    return;
  }
  // Building the background builds the wizard; either may find that setup
  // cannot go on (a refused script, an earlier installation not found), and
  // then the loop is not entered.
  TBkWin* background = new TBkWin(UpperColour, LowerColour);
  if (!CancelFlag.IsSet()) background->RunModal();
  // The 95/98 family leaves a trace of a destroyed top-level window on the
  // task bar unless it is minimised first.
  if (!WindowsNT && background->Handle) ShowWindow(background->Handle, SW_MINIMIZE);
  delete background;
  SetupTeardown();
  if (!CancelFlag.IsSet() && LaunchWanted) WinExec(LaunchCommand.c_str(), SW_SHOWNORMAL);
}
