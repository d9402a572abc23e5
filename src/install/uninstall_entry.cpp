#include "install/uninstall_entry.h"

TStr UninstallCommandLine(const TStr& uninstallerPath, const TStr& logPath) {
  // Both paths quoted: with a blank in the uninstaller's name the system
  // would otherwise start whatever program the text before the blank names.
  return Concat("\"", uninstallerPath, "\" /U \"", logPath, "\"");
}

TStr QuietUninstallCommandLine(const TStr& uninstallerPath, const TStr& logPath) {
  return UninstallCommandLine(uninstallerPath, logPath) + " /S";
}
