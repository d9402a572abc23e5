// The setup program's entry. The program is a library that the release's
// setup.exe writes to its workspace and loads by full path (see
// base/program_start.h).
#include <windows.h>

#include "app/entry.h"
#include "app/silent_mode.h"
#include "app/startup_workspace.h"
#include "base/program_start.h"
#include "base/run_exit.h"
#include "base/static_init.h"
#include "wizard/wizard_run.h"

// The system calls this while it loads or unloads the library, under its
// loader lock: nothing is done here, the run starts in KestinRun.
extern "C" BOOL WINAPI KestinLibraryEntry(HINSTANCE, DWORD, void*) { return TRUE; }

// The loader restricted the library search before loading this library, and
// it stays restricted for every library loaded later. The static imports are
// settled as this library loads, which is why they are kept to the libraries
// the system always takes from its own folder.
extern "C" __declspec(dllexport) int KestinRun(const TProgramStart* start) {
  if (!start || start->Size != sizeof(TProgramStart)) return kExitRefused;
  RunStaticConstructors();
  UseLoaderWorkspace(start->Workspace);
  AbandonLeave = start->Leave;
  UnattendedInstall = RunSilentInstall;
  InstallRoad = RunWizard;
  return RunChosenMode();
}
