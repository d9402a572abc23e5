// Process entry of setup.exe. The C runtime's start-up code is not linked (it
// would cost a fifth of the size budget); static constructors run through
// __main, and the process ends with ExitProcess.
#include <windows.h>

#include "app/entry.h"

extern "C" void __main();

// Static destructors need not run: the process ends with ExitProcess, and the
// system frees what is left. Without the C runtime's start-up code the
// library's own atexit would not be set up, so registration is a no-op here.
extern "C" int __cdecl atexit(void (*)(void)) { return 0; }

extern "C" void WINAPI KestinEntry() {
  __main();
  ExitProcess((UINT)RunProgram());
}
