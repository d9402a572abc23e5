// Command-line splitting, shared by every run mode.
#pragma once
#include "base/str.h"

// Longest argument kept. Characters beyond it are dropped; the argument still
// ends where the splitting rules end it, so a long argument never spills into
// the next one and shifts the arguments after it.
const int kMaxArgumentLength = 4096;

// Argument `index` of a process command line, counting the program name as 0
// (which is skipped: argument 0 comes from the module's own path instead).
// An argument that does not exist is the empty text.
TStr CommandLineArgument(const char* commandLine, int index);
