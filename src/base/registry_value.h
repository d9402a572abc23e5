// Reading one registry value whole, whatever its length.
#pragma once
#include "base/str.h"

// The bytes of value `valueName` of the open key `key` (an HKEY), read in
// full even when the value grows between asking for its size and reading
// it. False when the value is missing or cannot be read.
bool RegReadValueBytes(void* key, const char* valueName, TStr* bytes);
