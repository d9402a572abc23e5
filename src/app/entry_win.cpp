#include <windows.h>

#include "app/entry.h"
#include "app/program_args.h"
#include "app/run_mode.h"
#include "base/process_state.h"
#include "uninstall/removal_helper.h"
#include "uninstall/uninstall_run.h"

int RunChosenMode() {
  ProgramArg0 = ProgramArgument(0);
  switch (ChooseRunMode(ProgramArgument(1))) {
    case RunRemovalHelper:
      RemovalHelperRun(ProgramArgument(2), ProgramArgument(3));
      break;
    case RunUninstall:
      UninstallRun(ProgramArgument(2), true);
      break;
    case RunInstall:
      OwnFileName = FileNamePart(ProgramArg0);
      RunInstallMode();
      break;
  }
  // Every mode ends with exit code 0, including the stop for a missing cabinet.
  return 0;
}
