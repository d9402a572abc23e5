#include "base/static_init.h"

#include <stddef.h>

// The linker's table of static constructors (see src/app/setup.ld.in): -1,
// the constructors, then a null entry.
extern "C" void (*__CTOR_LIST__[])();

// Static destructors need not run: the process ends with ExitProcess, and the
// system frees what is left. Without the C runtime's start-up code the
// library's own atexit would not be set up, so registration is a no-op here.
extern "C" int __cdecl atexit(void (*)(void)) { return 0; }

// The same walk the compiler's support library does, last entry first,
// without linking that library's start-up module.
void RunStaticConstructors() {
  size_t count = 0;
  while (__CTOR_LIST__[count + 1]) count++;
  for (; count > 0; count--) __CTOR_LIST__[count]();
}
