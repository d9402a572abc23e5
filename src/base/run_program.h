// Starting another program: the uninstaller's helper, the registration tool
// for system files, the removal helper.
#pragma once
#include "base/error.h"
#include "base/str.h"

// TError code of a program that could not be started.
const int kRunProgramFailed = 0x102;

// Starts `commandLine` (with `application` as the program file, or null to
// take it from the command line) at normal priority, inheriting no handles,
// with `showState` applied to its first window. With `wait`, waits without a
// time limit and stores the program's exit code in *exitCode; without, stores
// 0. Returns false when the program cannot be started, with `error` holding
// the system's reason and the command line: an exit code and a start failure
// are never mistaken for one another.
bool RunProgram(const char* application, const TStr& commandLine, int showState, bool wait,
                unsigned* exitCode, TError* error);
