// Process-wide state shared between the subsystems: the one header to look in
// for any value that lives from start-up to teardown. Everything else is
// passed along.
#pragma once
#include "base/shared_flag.h"
#include "base/str.h"


// Setup was cancelled or cannot continue: raised by the wizard (its Cancel,
// a failed or cancelled install, an earlier installation that is missing),
// read by the entry before it launches the installed program.
extern TSharedFlag CancelFlag;
// 1 when the system is of the NT family.
extern unsigned char WindowsNT;
// Start the installed program after setup.
extern unsigned char LaunchWanted;
extern TStr LaunchCommand;

// File-name part of the running program's path ("setup.exe" until install mode
// replaces it with the real name).
extern TStr OwnFileName;
// The running module's full path, as the system reports it.
extern TStr ProgramArg0;

// Where the cabinet is: the file that holds it and where it starts in that file.
extern TStr CabinetPath;
extern int CabinetOffset;

// Folders fixed by the start-up.
extern TStr SystemFolder;   // no trailing backslash
extern TStr TempFolder;     // normally with a trailing backslash

// The file of install mode's setup script (script/setup_script.h opens it).
extern TStr ScriptPath;
// Colours of the background gradient, from [General] UpperColor and LowerColor.
extern int UpperColour, LowerColour;
// The loaded copy of the helper library is held by the package layer and
// handed out by HelperLibraryHandle() (package/package_locate.h).

// Code page the package's texts and unmarked stored names are written in
// (script/script_code_page.h), settled when the setup script is taken out of
// the package; they are converted from it to the active code page as they
// are read. 0 until then: nothing is converted.
extern unsigned TextCodePage;
