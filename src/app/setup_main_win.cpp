// Process entry of setup.exe. The C runtime's start-up code is not linked (it
// would cost a fifth of the size budget); static constructors are run here,
// and the process ends with ExitProcess.
#include <windows.h>

#include "app/entry.h"
#include "app/silent_mode.h"
#include "base/system_library.h"
#include "wizard/wizard_road.h"

// The linker's table of static constructors: a count or -1, the constructors,
// then a null entry.
extern "C" void (*__CTOR_LIST__[])();

// Static destructors need not run: the process ends with ExitProcess, and the
// system frees what is left. Without the C runtime's start-up code the
// library's own atexit would not be set up, so registration is a no-op here.
extern "C" int __cdecl atexit(void (*)(void)) { return 0; }

// The same walk the compiler's support library does, last entry first, without
// linking that library's start-up module.
static void RunStaticConstructors() {
  size_t count = 0;
  while (__CTOR_LIST__[count + 1]) count++;
  for (; count > 0; count--) __CTOR_LIST__[count]();
}

// Run directly, the program limits the library search itself (the release's
// loader has done so before binding its imports; doing it twice is harmless).
// The static imports are settled before this runs, which is why they are kept
// to the libraries the system always takes from its own folder.
extern "C" void WINAPI KestinEntry() {
  RestrictLibrarySearch();
  RunStaticConstructors();
  UnattendedInstall = RunSilentInstall;
  InstallRoad = RunWizardRoad;
  ExitProcess((UINT)RunChosenMode());
}
