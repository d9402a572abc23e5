#include <windows.h>

#include "app/windows_family.h"
#include "app/startup.h"
#include "app/startup_workspace.h"
#include "base/code_page_text.h"
#include "base/files.h"
#include "base/message_box.h"
#include "base/run_exit.h"
#include "package/package_files.h"
#include "package/file_stream.h"
#include "package/helper_library.h"
#include "package/package_error.h"
#include "package/package_locate.h"
#include "script/reg_ini_file.h"
#include "script/script_code_page.h"
#include "ui/font.h"

namespace {

// Two setups at once would share the workspace, and one's teardown would
// delete the other's setup script. The second is refused while the first runs.
const char kWorkspaceMutex[] = "KestinSetupWorkspace";
HANDLE g_workspaceMutex = nullptr;
// The session a run abandoned without its teardown still has to clean up.
TSetupSession* g_openSession = nullptr;

bool CabinetPresent(const TPackagePlace& package) {
  if (!FileExists(package.cabinetPath)) return false;
  if (package.cabinetOffset == 0) return true;
  // A package whose cabinet is missing (cut off after the library) has none.
  TFileStream file(package.cabinetPath.c_str(), false, false, false);
  return file.IsOpen() && file.Size() > package.cabinetOffset;
}

// Everything up to the open setup script; what fails is returned.
TError PrepareWorkspace(TSetupSession& s) {
  TError e;
  s.TempFolder = TempFolderPath();
  if (s.TempFolder.empty()) {
    e.Set(kErrorStart, kStartNoWorkspace, GetLastError(), "%TEMP%");
    return e;
  }
  TStr slot;
  if (!ReadHelperLibrarySlot(s.ProgramPath, s.Package.cabinetOffset, &slot)) {
    e.Set(kErrorPackage, kLibraryNotWritten, GetLastError(), s.TempFolder + "uncab.dll");
    return e;
  }
  e = PlaceWorkspaceLibrary(s.TempFolder, slot);
  if (e.Failed()) return e;
  // Only the script this run takes out of its own package is ever opened. A
  // package without one reads as an empty script: every key its default.
  TStr script;
  ReadPackageFile(s.Package, "KESTIN\\kestin.ini", &script, &e);
  if (e.Failed()) return e;
  // Everything after this reads the script in the code page the program runs
  // under, whatever the one it was written in.
  s.Package.textCodePage = ScriptPackageCodePage(script, LegacyCodePage());
  return PlaceWorkspaceScript(s.TempFolder, PackageTextToActive(script, s.Package.textCodePage), &s.ScriptPath);
}

void TeardownAbandoned() {
  if (g_openSession) SetupTeardown(*g_openSession);
}

}  // namespace

TError SetupStartup(TSetupSession& s) {
  TError e;
  s.ProgramPath = RunningProgramPath();
  s.Package = LocatePackage(s.ProgramPath);
  s.SystemFolder = SystemFolderPath();

  if (!CabinetPresent(s.Package)) {
    e.Set(kErrorStart, kStartNoCabinet, 0, s.Package.cabinetPath);
    return e;
  }

  g_workspaceMutex = CreateMutexA(nullptr, TRUE, kWorkspaceMutex);
  if (g_workspaceMutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(g_workspaceMutex);
    g_workspaceMutex = nullptr;
    e.Set(kErrorStart, kStartBusy, 0, TStr());
    return e;
  }

  // A run abandoned from here on (no window can be made) still removes what
  // it put into the temporary folder.
  g_openSession = &s;
  AbandonCleanup = TeardownAbandoned;
  e = PrepareWorkspace(s);
  if (e.Failed()) {
    SetupTeardown(s);
    return e;
  }
  s.Script = new TSetupScript(s.ScriptPath);
  NameScriptCharset(s.Script->CharSet());
  s.UpperColour = s.Script->Colour("UpperColor", "$02999900");
  s.LowerColour = s.Script->Colour("LowerColor", "$02000000");
  s.MachineRegistry = new TRegIniFile("HKEY_LOCAL_MACHINE");
  s.WindowsNT = IsWindowsNT();
  return e;
}

void SetupTeardown(TSetupSession& s) {
  AbandonCleanup = nullptr;
  g_openSession = nullptr;
  delete s.MachineRegistry;
  s.MachineRegistry = nullptr;
  delete s.Script;
  s.Script = nullptr;
  RemoveWorkspace();
  s.ScriptPath.clear();
  if (g_workspaceMutex) {
    ReleaseMutex(g_workspaceMutex);
    CloseHandle(g_workspaceMutex);
    g_workspaceMutex = nullptr;
  }
}

void ShowStartupError(const TError& error) {
  ShowMessage(nullptr, StartupErrorText(error).c_str(), "Error", MB_ICONERROR);
}
