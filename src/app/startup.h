// Install mode's start-up and teardown: the package located, the temporary
// workspace prepared, the helper library loaded, the setup script extracted
// and read; and everything this run wrote removed again.
#pragma once
#include "base/error.h"
#include "base/str.h"
#include "install/setup_session.h"

// Codes of the start-up's own failures; the rest come from the package layer
// (package/package_error.h).
enum TStartupErrorCode {
  kStartNoCabinet = 100,      // no cabinet file, or none behind the library
  kStartBusy = 101,           // another setup holds the workspace
  kStartNoWorkspace = 102,    // no folder of its own in the temporary folder; Subject: the folder
  kStartScriptNotWritten = 103,  // Subject: the script's path
  // The release's loader, before the program runs:
  kStartProgramDamaged = 104,     // the program carried in setup.exe is not what was built
  kStartProgramNotWritten = 105,  // Subject: the program file's path
  kStartProgramNotLoaded = 106,   // Subject: the program file's path; SystemError says why
  kStartNoMemory = 107,
};

// Prepares install mode into `session`. Returns what failed (nothing has
// been shown; what was prepared has been removed again), or a clear TError
// when setup can go on.
TError SetupStartup(TSetupSession& session);
// Closes the script and removes everything the start-up put into the
// temporary folder.
void SetupTeardown(TSetupSession& session);

// The message for a failed start-up, and showing it (no owner, "Error").
TStr StartupErrorText(const TError& error);
// The same for the start domain alone (the release's loader, whose words are
// carried uncompressed): no text of the package's own failures is linked.
TStr StartErrorText(const TError& error);
void ShowStartupError(const TError& error);
