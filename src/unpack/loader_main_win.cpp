// Process entry of the release setup.exe. The setup program travels inside it
// as a compressed library (see unpack/packed_program.h). The loader unpacks
// it, checks it, writes it into a folder of this run's own in the temporary
// folder, keeps the file held against any change until it is unloaded, loads
// it by its full path and runs it. Every instruction of the program thus
// comes from a file the system maps as an image, as for any installed
// program; the resources and the manifest stay in this file.
#include <windows.h>

#include "app/entry.h"
#include "app/startup.h"
#include "base/files.h"
#include "base/held_file.h"
#include "base/program_start.h"
#include "base/run_exit.h"
#include "base/static_init.h"
#include "base/system_library.h"
#include "package/package_error.h"
#include "unpack/packed_program.h"

extern "C" const unsigned char kPackedProgram[];
extern "C" const unsigned kPackedProgramSize;

namespace {

THeldEntry g_folder;   // temporary folder + "kestin-<number>"
THeldEntry g_program;  // the program library in it
HMODULE g_library = nullptr;

// Unloads the program and removes its file and folder (the folder only when
// the program left it empty). Called once the program has returned, or from
// inside it when its run is abandoned: nothing of the program runs after.
void RemoveProgram() {
  if (g_library) FreeLibrary(g_library);
  g_library = nullptr;
  RemoveHeldEntry(&g_program);
  RemoveHeldEntry(&g_folder);
}

[[noreturn]] void Leave(int exitCode) {
  RemoveProgram();
  ExitProcess((UINT)exitCode);
}

[[noreturn]] void Refuse(int code, unsigned systemError = 0, const TStr& subject = TStr()) {
  // Removed first: the message may wait long for its click.
  RemoveProgram();
  TError e;
  e.Set(kErrorStart, code, systemError, subject);
  ReportStartFailure(e);
  ExitProcess(kExitRefused);
}

// The unpacked and checked program, written and held; its path.
TStr PlaceProgram() {
  TPackedProgram info;
  if (!ReadPackedProgram(kPackedProgram, kPackedProgramSize, &info)) Refuse(kStartProgramDamaged);
  HANDLE heap = GetProcessHeap();
  uint8_t* program = (uint8_t*)HeapAlloc(heap, 0, info.size);
  void* work = HeapAlloc(heap, 0, PackedProgramWorkSize(info));
  if (!program || !work) Refuse(kStartNoMemory);
  if (!UnpackProgram(info, program, work)) Refuse(kStartProgramDamaged);
  HeapFree(heap, 0, work);

  TStr temp = TempFolderPath();
  if (temp.empty() || !CreateUniqueFolder(temp + "kestin-", &g_folder))
    Refuse(kStartNoWorkspace, GetLastError(), temp.empty() ? TStr("%TEMP%") : temp + "kestin-");
  TStr path = WithBackslash(g_folder.Path) + "setup-program.dll";
  unsigned systemError = 0;
  // The file is read back through its hold, so what is loaded is what was
  // checked above; nobody can write, rename or delete it until it is removed.
  TPlaceResult placed = PlaceHeldFile(path, (const char*)program, info.size, &g_program, &systemError);
  HeapFree(heap, 0, program);
  if (placed == kPlaceFailed) Refuse(kStartProgramNotWritten, systemError, path);
  // In a folder this run has just made, a taken name means another program
  // is racing it.
  if (placed != kPlaced) Refuse(kFileChanged, systemError, path);
  return path;
}

}  // namespace

extern "C" void WINAPI KestinLoaderEntry() {
  // From here on, libraries (the program's own imports included) come from
  // the system folder only.
  RestrictLibrarySearch();
  RunStaticConstructors();
  TStr path = PlaceProgram();
  // The program's imports are looked for in the system folder, never beside
  // it; a system without that choice (before its 2011 loader update) takes
  // the ordinary order.
  g_library = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!g_library && GetLastError() == ERROR_INVALID_PARAMETER) g_library = LoadLibraryExA(path.c_str(), nullptr, 0);
  if (!g_library) Refuse(kStartProgramNotLoaded, GetLastError(), path);
  TProgramEntry run = (TProgramEntry)(void*)GetProcAddress(g_library, KESTIN_PROGRAM_ENTRY);
  if (!run) Refuse(kStartProgramDamaged);
  TProgramStart start = {sizeof start, nullptr, Leave};
  TStr workspace = WithBackslash(g_folder.Path);
  start.Workspace = workspace.c_str();
  Leave(run(&start));
}
