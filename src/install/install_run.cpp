#include "install/install_run.h"

bool CheckScript(TInstallRun& run) {
  if (!run.Script) {
    run.Failure.Set(kErrorInstall, kInstallScriptRefused, 0, "no setup script");
    return false;
  }
  TScriptRefusal first[1];
  int count = FindRefusedScriptValues(*run.Script, first, 1);
  if (count == 0) return true;
  TStr subject = Concat("[", first[0].Section, "] ", first[0].Key, ": ", first[0].Reason);
  if (count > 1) subject += Concat(" (and ", IntToStr(count - 1), " more)");
  run.Failure.Set(kErrorInstall, kInstallScriptRefused, 0, subject);
  return false;
}
