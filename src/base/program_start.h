// How the release's setup.exe hands the run to the setup program. The program
// is a library: setup.exe writes it into a folder of its own in the temporary
// folder, holds it there, checks it and loads it by its full path, so every
// instruction that runs comes from a file the system maps as an image.
#pragma once

struct TProgramStart {
  // sizeof(TProgramStart), so a program never runs on a start record of
  // another build's shape.
  unsigned Size;
  // The loader's folder in the temporary folder: a full path ending in a
  // backslash. The loader made it, holds it and removes it after the run; the
  // program may put files of its own there and removes what it puts.
  const char* Workspace;
  // Ends the process from anywhere in the run with `exitCode`: the program is
  // unloaded and the workspace removed first. Never returns.
  void (*Leave)(int exitCode);
};

// The program's exported entry: runs the mode the command line selects and
// returns the process exit code.
typedef int (*TProgramEntry)(const TProgramStart* start);
#define KESTIN_PROGRAM_ENTRY "KestinRun"
