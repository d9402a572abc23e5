#include "app/run_mode.h"

RunMode ChooseRunMode(const TStr& firstArgument) {
  TStr upper = UpperAscii(firstArgument);
  if (upper.find("/D") != TStr::npos) return RunRemovalHelper;
  if (upper.find("/U") != TStr::npos) return RunUninstall;
  return RunInstall;
}
