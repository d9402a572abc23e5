#include "install/uninstall_entry.h"

TStr UninstallCommandLine(const TStr& uninstallerPath, const TStr& logPath) {
  return Concat(uninstallerPath, " /U \"", logPath, "\"");
}
