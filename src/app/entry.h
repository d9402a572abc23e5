#pragma once
#include "base/error.h"

struct TSetupSession;

// Runs the mode the command line selects and returns the process exit code.
int RunChosenMode();
// Install mode: start-up, the wizard run, teardown, optional launch of the
// product.
void RunInstallMode();

// What install mode does between start-up and teardown, with what the
// start-up learnt: the setup program sets RunWizard, so that programs built
// from the same modules for tests need not link the wizard.
extern void (*InstallRoad)(TSetupSession& session);
// The unattended install (/S): both programs set it to RunSilentInstall, so
// the install engine is linked only into programs that offer it. Without it
// /S is refused with exit code 1.
extern int (*UnattendedInstall)();

// Says why the program could not start, as the run the command line selects
// would: a box, or for an unattended run no window and a line in its LOG=
// file. Used before the program proper runs (by the release's loader).
void ReportStartFailure(const TError& error);
