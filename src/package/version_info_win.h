#pragma once
#include "base/str.h"

// One string value of a version-information block, from the table
// "\StringFileInfo\040904E4\"; empty when it is missing.
TStr ReadVersionString(const void* block, const char* name);
