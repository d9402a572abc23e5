// The unattended runs: no window, no question, an exit code that says what
// happened, and a plain-text log when LOG= asks for one.
#pragma once
#include "app/run_log.h"
#include "base/str.h"
#include "base/str_list.h"

// setup.exe /S NAME=value ...: the arguments from argument 2 on.
int RunSilentInstall();
// The uninstall command with /S after the log path: the arguments from
// argument 4 on.
int RunSilentUninstall(const TStr& logPath);
// setup.exe /?: the switches in a message box; exit code 0.
void ShowSwitches();

// The process's arguments from `first` on, up to the first that is missing.
TStrList ArgumentsFrom(int first);

