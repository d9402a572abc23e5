#include "base/process_state.h"
#include "script/defaults.h"
#include "script/destination.h"
#include "script/reg_ini_file.h"
#include "script/setup_script.h"

TRegIniFile* MachineRegistry = nullptr;

const char* const kVersionKey9x = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char* const kVersionKeyNT = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

static TStr ReadMachineValue(const TStr& section, const char* name) {
  if (!MachineRegistry) return TStr();
  MachineRegistry->OpenSection(section);
  return MachineRegistry->ReadString(name, "");
}

TStr GetRegisteredOwner() {
  return ReadMachineValue(WindowsNT ? kVersionKeyNT : kVersionKey9x, "RegisteredOwner");
}

TStr GetRegisteredOrganization() {
  return ReadMachineValue(WindowsNT ? kVersionKeyNT : kVersionKey9x, "RegisteredOrganization");
}

static TStr PathValue(const char* key) {
  return SetupScript ? SetupScript->ReadString("Path", key, "") : TStr();
}

TStr GetDestinationFolder(TError* error) {
  TStr result;
  TStr findPath = PathValue("FindPath");
  if (!findPath.empty()) {
    TStr s = ReadMachineValue(TStr(kVersionKey9x) + "\\Uninstall\\" + findPath, "UninstallString");
    if (!s.empty()) result = FolderFromUninstallString(s);
    if (result.empty()) {
      TStr message = PathValue("NotFoundPathMsg");
      if (!message.empty()) {
        error->Set(kErrorScript, kEarlierInstallMissing, 0, message);
        return TStr();
      }
    }
  }
  TStr d = PathValue("DefaultPath");
  if (d.empty()) return result;
  if (IsAbsoluteDefaultPath(d)) return d;
  return ReadMachineValue(kVersionKey9x, "ProgramFilesDir") + "\\" + d;
}
