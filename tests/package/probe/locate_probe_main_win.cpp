// A program with the setup program's version resource that runs the real
// package lookup on itself, so tests can copy it, turn the copy into a package
// under any name, start it, and read back what it found.
//   locate_probe OUTFILE TEMPFOLDER
#include <windows.h>

#include <cstdio>

#include "app/program_args.h"
#include "base/files.h"
#include "package/helper_library.h"
#include "package/package_locate.h"

typedef int(__cdecl* ProbeFn)();

int main() {
  TStr self = RunningProgramPath();
  TStr outPath = ProgramArgument(1);
  TStr tempFolder = ProgramArgument(2);
  FILE* out = fopen(outPath.c_str(), "w");
  if (!out) return 1;
  TPackagePlace place = LocatePackage(self);
  fprintf(out, "path=%s\noffset=%d\n", place.cabinetPath.c_str(), place.cabinetOffset);
  if (!tempFolder.empty()) {
    TStr slot;
    TError error;
    bool loaded = ReadHelperLibrarySlot(self, place.cabinetOffset, &slot) &&
                  LoadHelperLibraryAt(WithBackslash(tempFolder) + "uncab.dll", slot, &error) == kPlaced;
    fprintf(out, "error=%d\n", error.Code);
    fprintf(out, "loaded=%d\n", loaded ? 1 : 0);
    if (loaded) {
      ProbeFn fn = (ProbeFn)(void*)GetProcAddress((HMODULE)HelperLibraryHandle(), "KestinProbe");
      fprintf(out, "probe=%d\n", fn ? fn() : -1);
    }
    TStr copy = WithBackslash(tempFolder) + "uncab.dll";
    fprintf(out, "copy_while_loaded=%d\n", GetFileAttributesA(copy.c_str()) != INVALID_FILE_ATTRIBUTES);
    UnloadHelperLibrary();
    fprintf(out, "copy_after_unload=%d\n", GetFileAttributesA(copy.c_str()) != INVALID_FILE_ATTRIBUTES);
  }
  fclose(out);
  return 0;
}
