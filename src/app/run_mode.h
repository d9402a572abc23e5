#pragma once
#include "base/str.h"

enum RunMode { RunInstall, RunUninstall, RunRemovalHelper, RunUnattended, RunSwitchList };

// The mode the first argument selects: "/D" anywhere in it (any letter case)
// picks the removal helper, tested first; then "/U" the uninstaller; then
// exactly "/S" the unattended install and exactly "/?" the list of switches;
// anything else installs with the wizard.
RunMode ChooseRunMode(const TStr& firstArgument);

// Whether the run `mode` selects is unattended: /S at that mode's place on
// the command line.
bool IsUnattendedRun(RunMode mode);
