#pragma once
#include "base/str.h"

enum RunMode { RunInstall, RunUninstall, RunRemovalHelper };

// The mode the first argument selects: "/D" anywhere in it (any letter case)
// picks the removal helper, tested first; then "/U" the uninstaller; anything
// else installs.
RunMode ChooseRunMode(const TStr& firstArgument);
