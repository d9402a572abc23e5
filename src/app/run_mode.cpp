#include "app/run_mode.h"
#include "app/silent_args.h"

RunMode ChooseRunMode(const TStr& firstArgument) {
  TStr upper = UpperAscii(firstArgument);
  if (upper.find("/D") != TStr::npos) return RunRemovalHelper;
  if (upper.find("/U") != TStr::npos) return RunUninstall;
  if (IsSilentSwitch(firstArgument)) return RunUnattended;
  if (IsHelpSwitch(firstArgument)) return RunSwitchList;
  return RunInstall;
}
