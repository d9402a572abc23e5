// Reading one text value from the registry: the uninstall entry's command,
// the type an extension names.
#pragma once
#include "base/str.h"

// The string value `name` (null: the default value) of `root`\`path`; empty
// when the key or value is absent, is not a string, or does not fit 1023
// characters. `root` is an HKEY.
TStr ReadRegistryText(void* root, const TStr& path, const char* name);
