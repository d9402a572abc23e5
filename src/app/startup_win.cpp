#include <windows.h>

#include "app/windows_family.h"
#include "app/startup.h"
#include "app/startup_workspace.h"
#include "base/code_page_text.h"
#include "base/files.h"
#include "base/message_box.h"
#include "base/process_state.h"
#include "base/run_exit.h"
#include "package/package_files.h"
#include "package/file_stream.h"
#include "package/helper_library.h"
#include "package/package_error.h"
#include "package/package_locate.h"
#include "script/reg_ini_file.h"
#include "script/defaults.h"
#include "script/script_code_page.h"
#include "script/setup_script.h"
#include "ui/font.h"

namespace {

// Two setups at once would share the workspace, and one's teardown would
// delete the other's setup script. The second is refused while the first runs.
const char kWorkspaceMutex[] = "KestinSetupWorkspace";
HANDLE g_workspaceMutex = nullptr;

bool CabinetPresent() {
  if (!FileExists(CabinetPath)) return false;
  if (CabinetOffset == 0) return true;
  // A package whose cabinet is missing (cut off after the library) has none.
  TFileStream file(CabinetPath.c_str(), false, false, false);
  return file.IsOpen() && file.Size() > CabinetOffset;
}

// Everything up to the open setup script; what fails is returned.
TError PrepareWorkspace() {
  TError e;
  TempFolder = TempFolderPath();
  if (TempFolder.empty()) {
    e.Set(kErrorStart, kStartNoWorkspace, GetLastError(), "%TEMP%");
    return e;
  }
  TStr slot;
  if (!ReadHelperLibrarySlot(ProgramPath(), CabinetOffset, &slot)) {
    e.Set(kErrorPackage, kLibraryNotWritten, GetLastError(), TempFolder + "uncab.dll");
    return e;
  }
  e = PlaceWorkspaceLibrary(TempFolder, slot);
  if (e.Failed()) return e;
  // Only the script this run takes out of its own package is ever opened. A
  // package without one reads as an empty script: every key its default.
  TStr script;
  ReadPackageFile("KESTIN\\kestin.ini", &script, &e);
  if (e.Failed()) return e;
  // Everything after this reads the script in the code page the program runs
  // under, whatever the one it was written in.
  TextCodePage = ScriptPackageCodePage(script, LegacyCodePage());
  return PlaceWorkspaceScript(TempFolder, PackageTextToActive(script));
}

}  // namespace

TError SetupStartup() {
  TError e;
  LocatePackage();
  char system[260];
  UINT n = GetSystemDirectoryA(system, sizeof system);
  SystemFolder = n < sizeof system ? TStr(system, n) : TStr();

  if (!CabinetPresent()) {
    e.Set(kErrorStart, kStartNoCabinet, 0, CabinetPath);
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
  AbandonCleanup = SetupTeardown;
  e = PrepareWorkspace();
  if (e.Failed()) {
    SetupTeardown();
    return e;
  }
  NameScriptCharset(LoadSetupScript(ScriptPath));
  UpperColour = ReadScriptColour("UpperColor", "$02999900");
  LowerColour = ReadScriptColour("LowerColor", "$02000000");
  MachineRegistry = new TRegIniFile("HKEY_LOCAL_MACHINE");
  DetectWindowsNT();
  return e;
}

void SetupTeardown() {
  AbandonCleanup = nullptr;
  delete MachineRegistry;
  MachineRegistry = nullptr;
  FreeSetupScript();
  RemoveWorkspace();
  if (g_workspaceMutex) {
    ReleaseMutex(g_workspaceMutex);
    CloseHandle(g_workspaceMutex);
    g_workspaceMutex = nullptr;
  }
}

void ShowStartupError(const TError& error) {
  ShowMessage(nullptr, StartupErrorText(error).c_str(), "Error", MB_ICONERROR);
}
