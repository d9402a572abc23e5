#pragma once
#include "base/str.h"

// Argument `index` of this process: 0 is the module's full path as the system
// reports it, 1 and up come from the process command line.
TStr ProgramArgument(int index);
