// The few C++ runtime hooks the Windows binaries need, so that no C++ library
// code (and its exception machinery) is linked: allocation goes straight to the
// C runtime DLL the system ships.
#include <stdlib.h>
#include <new>

void* operator new(size_t n) {
  void* p = malloc(n ? n : 1);
  if (!p) abort();
  return p;
}
void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }

extern "C" void __cxa_pure_virtual() { abort(); }
