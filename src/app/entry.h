#pragma once

// Runs the mode the command line selects and returns the process exit code.
int RunChosenMode();
// Install mode: start-up, the install road, teardown, optional launch of the
// product.
void RunInstallMode();

// What install mode does between start-up and teardown. The release
// setup.exe keeps the small ready box until the wizard fits its size limit;
// setup-full.exe, the same program with the wizard, sets RunWizardRoad.
extern void (*InstallRoad)();
void RunReadyRoad();
// The unattended install (/S): both programs set it to RunSilentInstall, so
// the install engine is linked only into programs that offer it. Without it
// /S is refused with exit code 1.
extern int (*UnattendedInstall)();
