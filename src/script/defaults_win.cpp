#include "script/defaults.h"
#include "script/destination.h"
#include "script/reg_ini_file.h"

const char* const kVersionKey9x = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char* const kVersionKeyNT = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

static TStr ReadMachineValue(TRegIniFile& machine, const TStr& section, const char* name) {
  machine.OpenSection(section);
  return machine.ReadString(name, "");
}

TStr GetRegisteredOwner(TRegIniFile& machine, bool windowsNT) {
  return ReadMachineValue(machine, windowsNT ? kVersionKeyNT : kVersionKey9x, "RegisteredOwner");
}

TStr GetRegisteredOrganization(TRegIniFile& machine, bool windowsNT) {
  return ReadMachineValue(machine, windowsNT ? kVersionKeyNT : kVersionKey9x, "RegisteredOrganization");
}

TStr GetDestinationFolder(const TScriptValues& script, TRegIniFile& machine, TError* error) {
  TStr result;
  TStr findPath = script.Value("Path", "FindPath");
  if (!findPath.empty()) {
    TStr s = ReadMachineValue(machine, TStr(kVersionKey9x) + "\\Uninstall\\" + findPath, "UninstallString");
    if (!s.empty()) result = FolderFromUninstallString(s);
    if (result.empty()) {
      TStr message = script.Value("Path", "NotFoundPathMsg");
      if (!message.empty()) {
        error->Set(kErrorScript, kEarlierInstallMissing, 0, message);
        return TStr();
      }
    }
  }
  TStr d = script.Value("Path", "DefaultPath");
  if (d.empty()) return result;
  if (IsAbsoluteDefaultPath(d)) return d;
  return ReadMachineValue(machine, kVersionKey9x, "ProgramFilesDir") + "\\" + d;
}
