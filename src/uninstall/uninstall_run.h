#pragma once
#include "base/str.h"

// Undoes an installation from its uninstall log. fromCommandLine is false when
// the install run rolls a cancelled installation back.
void UninstallRun(const TStr& logPath, bool fromCommandLine);
