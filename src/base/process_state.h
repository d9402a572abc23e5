// Process-wide state shared between the subsystems: the one header to look in
// for any value that lives from start-up to teardown. Everything else is
// passed along.
#pragma once
#include "base/shared_flag.h"
#include "base/str.h"

class TIniFile;
class TRegIniFile;


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

// The setup script of install mode, open from the start-up to the teardown
// (script/setup_script.h opens and frees it), and the file it reads.
extern TIniFile* SetupScript;
extern TStr ScriptPath;
// The [General] texts, read once when the script is opened; used by key name
// through script/texts.h.
const int kScriptTextCount = 28;
extern TStr ScriptTexts[kScriptTextCount];
// Colours of the background gradient, from [General] UpperColor and LowerColor.
extern int UpperColour, LowerColour;
// The machine registry object of install mode (script/reg_ini_file.h),
// rooted at HKEY_LOCAL_MACHINE.
extern TRegIniFile* MachineRegistry;
// The loaded copy of the helper library is held by the package layer and
// handed out by HelperLibraryHandle() (package/package_locate.h).

// Font character set the setup script's CharSet names (its low byte), or 0
// when it names none (a low byte of 0 cannot be asked for); fonts then use the
// character set of the system's ANSI code page. Every other value, 1 included,
// is used as it is. The window toolkit reads it whenever it makes a font, so a
// value set after start-up reaches every font made afterwards.
extern int ScriptCharSet;
