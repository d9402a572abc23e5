#include "install/uninstall_entry.h"

TStr UninstallCommandLine(const TStr& uninstallerPath, const TStr& logPath) {
  return Concat(uninstallerPath, " /U \"", logPath, "\"");
}

TStr QuietUninstallCommandLine(const TStr& uninstallerPath, const TStr& logPath) {
  return UninstallCommandLine(uninstallerPath, logPath) + " /S";
}
