// Process entry of the release setup.exe: unpacks the setup program's image
// (see packed_image.h) and runs it. Only kernel32 is imported here; the
// image's own imports are bound by name once the library search is limited to
// the system folder, so they resolve as the static imports of an ordinary
// program would (comctl32 through this file's manifest, like before).
#include <windows.h>

#include "base/system_library.h"
#include "unpack/packed_image.h"

extern "C" const unsigned char kPackedImage[];
extern "C" const unsigned kPackedImageSize;

namespace {

void* OpenLibrary(void*, const char* library) { return LoadLibraryA(library); }

uint64_t FindFunction(void*, void* library, const char* name, uint32_t ordinal) {
  FARPROC f = GetProcAddress((HMODULE)library, name ? name : MAKEINTRESOURCEA(ordinal));
  return (uint64_t)(UINT_PTR)f;
}

// Nothing of the setup program runs yet, so the system's own fatal-error box
// is all there is; these cannot happen with an intact file.
[[noreturn]] void Refuse(const char* text) {
  FatalAppExitA(0, text);
  ExitProcess(1);
}

[[noreturn]] void RefuseImport(const TImportFailure& failure) {
  if (!failure.library) Refuse("Setup cannot start: the program file is damaged. Download the package again.");
  char text[300];
  lstrcpyA(text, "Setup cannot start: ");
  lstrcpynA(text + lstrlenA(text), failure.library, 100);
  if (failure.function || failure.ordinal) {
    lstrcatA(text, " lacks the function ");
    if (failure.function) lstrcpynA(text + lstrlenA(text), failure.function, 100);
    lstrcatA(text, ". This version of Windows is not supported.");
  } else {
    lstrcatA(text, " could not be loaded from the system folder.");
  }
  Refuse(text);
}

DWORD Protection(uint32_t access) {
  if (access & kAccessExecute) return PAGE_EXECUTE_READ;
  return (access & kAccessWrite) ? PAGE_READWRITE : PAGE_READONLY;
}

}  // namespace

extern "C" void WINAPI KestinUnpackEntry() {
  // The image's imports are bound by name: from the system folder only.
  RestrictLibrarySearch();
  const char* damaged = "Setup cannot start: the program file is damaged. Download the package again.";
  TPackedImageInfo info;
  if (!ReadPackedImageInfo(kPackedImage, kPackedImageSize, &info)) Refuse(damaged);
  uint8_t* image = (uint8_t*)VirtualAlloc(nullptr, info.imageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (!image) Refuse("Setup cannot start: not enough memory.");
  void* work = HeapAlloc(GetProcessHeap(), 0, PackedImageWorkSize(info));
  if (!work) Refuse("Setup cannot start: not enough memory.");
  const bool pe64 = sizeof(void*) == 8;
  if (!DecompressPackedImage(info, image, work) || !RelocateImage(image, info, (UINT_PTR)image, pe64))
    Refuse(damaged);
  HeapFree(GetProcessHeap(), 0, work);
  TImportResolver resolver = {OpenLibrary, FindFunction, nullptr};
  TImportFailure failure;
  if (!BindImageImports(image, info, pe64, resolver, &failure)) RefuseImport(failure);

  // Each section gets its own access; none is both writable and executable.
  DWORD old;
  for (uint32_t i = 0; i < info.sectionCount; i++) {
    TPackedSection s = PackedImageSection(info, i);
    if (s.size && !VirtualProtect(image + s.rva, s.size, Protection(s.access), &old)) Refuse(damaged);
  }
  FlushInstructionCache(GetCurrentProcess(), image, info.imageSize);
#ifdef _WIN64
  // Stack walks (a crash report, say) need the image's unwind data.
  if (info.functionTableSize)
    RtlAddFunctionTable((PRUNTIME_FUNCTION)(image + info.functionTableRva),
                        info.functionTableSize / sizeof(RUNTIME_FUNCTION), (DWORD64)(UINT_PTR)image);
#endif
  ((void(WINAPI*)())(image + info.entryRva))();
  ExitProcess(0);
}
