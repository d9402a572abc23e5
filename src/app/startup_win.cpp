#include <windows.h>

#include "app/windows_family.h"
#include "app/startup.h"
#include "base/files.h"
#include "base/message_box.h"
#include "base/process_state.h"
#include "package/cabinet_reader.h"
#include "package/file_stream.h"
#include "package/package_locate.h"
#include "script/reg_ini_file.h"
#include "script/setup_script.h"

namespace {

// Two setups at once would share the workspace, and one's teardown would
// delete the other's setup script. The second is refused while the first runs.
const char kWorkspaceMutex[] = "KestinSetupWorkspace";
HANDLE g_workspaceMutex = nullptr;
bool g_createdWorkspace = false;

void Stop(const TStr& text) { ShowMessage(nullptr, text.c_str(), "Error", MB_ICONERROR); }

bool CabinetPresent() {
  if (!FileExists(CabinetPath)) return false;
  if (CabinetOffset == 0) return true;
  // A package whose cabinet is missing (cut off after the library) has none.
  TFileStream file(CabinetPath.c_str(), false, false, false);
  return file.IsOpen() && file.Size() > CabinetOffset;
}

TStr TempPath() {
  DWORD need = GetTempPathA(0, nullptr);
  if (need == 0) return TStr();
  TStr path;
  path.resize(need);
  DWORD n = GetTempPathA(need, path.buffer());
  if (n == 0 || n >= need) return TStr();
  path.resize(n);
  return path;
}

}  // namespace

bool SetupStartup() {
  LocatePackage();
  char system[260];
  UINT n = GetSystemDirectoryA(system, sizeof system);
  SystemFolder = n < sizeof system ? TStr(system, n) : TStr();

  if (!CabinetPresent()) {
    ShowMessage(nullptr, "No CAB files.", "Error", MB_ICONERROR);
    return false;
  }

  g_workspaceMutex = CreateMutexA(nullptr, TRUE, kWorkspaceMutex);
  if (g_workspaceMutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(g_workspaceMutex);
    g_workspaceMutex = nullptr;
    Stop("Another setup is already running.\n\nPlease finish it first, then start this setup again.");
    return false;
  }

  TempFolder = TempPath();
  TStr workspace = TempFolder + "kestin";
  g_createdWorkspace = false;
  if (!FolderExists(workspace)) {
    if (!CreateDirectoryA(workspace.c_str(), nullptr)) {
      Stop("Setup cannot create its temporary folder:\n" + workspace);
      SetupTeardown();
      return false;
    }
    g_createdWorkspace = true;
  }

  if (!LoadHelperLibrary()) {
    Stop(Concat("Setup cannot prepare its decompression library in the temporary folder:\n", TempFolder,
                "uncab.dll\n\nThe disk may be full, or the package may be damaged."));
    SetupTeardown();
    return false;
  }

  ScriptPath = TempFolder + "KESTIN\\kestin.ini";
  if (!ExtractCabinetFile("KESTIN\\kestin.ini", TempFolder)) {
    SetupTeardown();  // the cabinet error has been shown
    return false;
  }
  if (!FileExists(ScriptPath)) {
    Stop("The package holds no setup script (KESTIN\\kestin.ini).");
    SetupTeardown();
    return false;
  }

  LoadSetupScript(ScriptPath);
  UpperColour = ReadScriptColour("UpperColor", "$02999900");
  LowerColour = ReadScriptColour("LowerColor", "$02000000");
  MachineRegistry = new TRegIniFile("HKEY_LOCAL_MACHINE");
  DetectWindowsNT();
  return true;
}

void SetupTeardown() {
  delete MachineRegistry;
  MachineRegistry = nullptr;
  FreeSetupScript();
  if (!ScriptPath.empty()) {
    SetFileAttributesA(ScriptPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(ScriptPath.c_str());
  }
  ScriptPath.clear();
  UnloadHelperLibrary();
  // Only a folder this run made, and only when nothing foreign is left in it.
  if (g_createdWorkspace) RemoveDirectoryA((TempFolder + "kestin").c_str());
  g_createdWorkspace = false;
  if (g_workspaceMutex) {
    ReleaseMutex(g_workspaceMutex);
    CloseHandle(g_workspaceMutex);
    g_workspaceMutex = nullptr;
  }
}
