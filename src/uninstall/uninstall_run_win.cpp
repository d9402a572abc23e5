#include "uninstall/uninstall_run.h"

// The uninstaller comes with the uninstall-log work; until then /U does nothing.
void UninstallRun(const TStr& logPath, bool fromCommandLine) {}
