#include <windows.h>

#include "app/entry.h"
#include "app/program_args.h"
#include "app/run_mode.h"
#include "app/silent_args.h"
#include "app/silent_mode.h"
#include "base/message_box.h"
#include "uninstall/removal_helper.h"
#include "uninstall/uninstall_run.h"

int (*UnattendedInstall)() = nullptr;

int RunChosenMode() {
  RunMode mode = ChooseRunMode(ProgramArgument(1));
  switch (mode) {
    case RunRemovalHelper:
    {
      TStr said = RemovalHelperRun(ProgramArgument(2), ProgramArgument(3));
      // Started by an unattended uninstall: nothing is shown. Otherwise the
      // helper runs in the background, and its box must not hide behind the
      // window the user uninstalled from.
      if (!IsUnattendedRun(mode))
        ShowMessage(nullptr, said.c_str(), "Information", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
      break;
    }
    case RunUninstall:
      if (IsUnattendedRun(mode)) return RunSilentUninstall(ProgramArgument(2));
    {
      TMessageBoxHost boxes;
      UninstallRun(ProgramArgument(2), true, boxes);
      break;
    }
    case RunUnattended:
      if (!UnattendedInstall) return kExitRefused;
      return UnattendedInstall();
    case RunSwitchList:
      ShowSwitches();
      break;
    case RunInstall:
      RunInstallMode();
      break;
  }
  // The interactive modes end with exit code 0, including the stop for a
  // missing cabinet; only the unattended runs report through it.
  return kExitDone;
}
