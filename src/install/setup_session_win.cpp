#include <windows.h>

#include "install/install_run.h"
#include "install/setup_session.h"

void TakeSessionPlaces(const TSetupSession& session, TInstallRun& run) {
  run.PackagePath = session.ProgramPath;
  run.Package = session.Package;
  run.SystemFolder = session.SystemFolder;
  if (session.Script) run.Texts = session.Script->Texts;
  char windows[MAX_PATH + 1];
  UINT n = GetWindowsDirectoryA(windows, sizeof windows);
  run.WindowsFolder = n && n < sizeof windows ? TStr(windows, n) : TStr();
}
