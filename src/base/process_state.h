// Process-wide state shared between the subsystems. Only what the design names
// lives here; everything else is passed along.
#pragma once
#include "base/str.h"

// Setup was cancelled or cannot continue. Written by the wizard and the install
// worker, read by the cabinet layer; one byte, so a stale read only delays a stop.
extern volatile unsigned char CancelFlag;
// The install worker's report to the waiting wizard.
extern volatile unsigned char InstallDone;
extern volatile unsigned char InstallSucceeded;
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

// Font character set the setup script's CharSet names (its low byte). It stays
// 1, the platform's "default" set, when the script names none; fonts then use
// the character set of the system's ANSI code page. The window toolkit reads
// it whenever it makes a font, so a value set after start-up reaches every
// font made afterwards.
extern int ScriptCharSet;
