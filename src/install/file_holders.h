// Which programs hold a file open, as far as the system can tell.
#pragma once
#include "base/str.h"

// The name of a program that has `path` open; empty
// where the system cannot say (its restart library is missing on systems
// before Windows Vista) or no program has it.
TStr FileHolders(const TStr& path);
