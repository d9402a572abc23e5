// Process-wide state shared between the subsystems: the one header to look in
// for any value that lives from start-up to teardown. Everything else is
// passed along.
#pragma once
#include <atomic>

#include "base/str.h"

class TIniFile;
class TRegIniFile;

// A flag that one thread raises and another reads. Raising it publishes every
// write the raising thread made before (release); a reader that sees it raised
// sees those writes too (acquire). The install worker fills its results and
// then raises InstallDone, so the wizard may read them once it sees the flag.
class TSharedFlag {
public:
  constexpr TSharedFlag() {}
  void Raise() { value_.store(1, std::memory_order_release); }
  void Lower() { value_.store(0, std::memory_order_release); }
  void Set(bool on) { value_.store(on ? 1 : 0, std::memory_order_release); }
  bool IsSet() const { return value_.load(std::memory_order_acquire) != 0; }
  explicit operator bool() const { return IsSet(); }

private:
  std::atomic<unsigned char> value_{0};
};
static_assert(sizeof(TSharedFlag) == 1, "the flags are single bytes");

// Setup was cancelled or cannot continue. Raised by the wizard, the install
// worker and the destination lookup; read by the entry, the install run and
// the cabinet layer (writes fail and notifications abort while it is set).
extern TSharedFlag CancelFlag;
// The install worker's report to the waiting wizard: InstallSucceeded is
// written first, then InstallDone is raised.
extern TSharedFlag InstallDone;
extern TSharedFlag InstallSucceeded;
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
// Code page the package's texts and unmarked stored names are written in
// (script/script_code_page.h), settled when the setup script is taken out of
// the package; they are converted from it to the active code page as they
// are read. 0 until then: nothing is converted.
extern unsigned TextCodePage;
