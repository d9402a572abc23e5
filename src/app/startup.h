// Install mode's start-up and teardown: the package located, the temporary
// workspace prepared, the helper library loaded, the setup script extracted
// and read; and everything this run wrote removed again.
#pragma once
#include "base/str.h"

// Returns false when setup cannot go on; the reason has been shown and what
// was prepared has been removed again.
bool SetupStartup();
void SetupTeardown();
// The values the start-up sets (script path, colours, ...) are declared in
// base/process_state.h.
