// What install mode's start-up learns, in one object: made by the start-up,
// handed to the wizard or the unattended install, freed by the teardown.
// Nothing of it is process-wide; each layer below is given the part it
// needs (the package place, the script, the system folder).
#pragma once
#include "base/shared_flag.h"
#include "base/str.h"
#include "package/package_layout.h"
#include "script/reg_ini_file.h"
#include "script/setup_script.h"

struct TInstallRun;

struct TSetupSession {
  // The running package's file (the uninstaller is copied from it).
  TStr ProgramPath;
  // Where its cabinet is, and the code page of its texts.
  TPackagePlace Package;
  TStr SystemFolder;  // without a trailing backslash
  TStr TempFolder;    // with a trailing backslash
  // The setup script taken out of the package, open until the teardown.
  TStr ScriptPath;
  TSetupScript* Script = nullptr;
  // HKEY_LOCAL_MACHINE, for the defaults the wizard proposes.
  TRegIniFile* MachineRegistry = nullptr;
  // The system is of the NT family (the 95/98 family differs in a few places).
  bool WindowsNT = true;
  // The background gradient, from [General] UpperColor and LowerColor.
  int UpperColour = 0, LowerColour = 0;

  // --- The run's outcome, decided by the wizard.
  // Setup was cancelled or cannot go on: nothing is launched.
  TSharedFlag Cancel;
  // What Finish asked to start once setup has ended; empty for nothing.
  TStr LaunchCommand;
};

// Fills the run's package, folders and texts from the session.
void TakeSessionPlaces(const TSetupSession& session, TInstallRun& run);
