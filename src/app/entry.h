#pragma once

// Runs the mode the command line selects and returns the process exit code.
int RunChosenMode();
// Install mode: start-up, the install road, teardown, optional launch of the
// product.
void RunInstallMode();

// What install mode does between start-up and teardown: the setup program
// sets RunWizardRoad, so that programs built from the same modules for tests
// need not link the wizard.
extern void (*InstallRoad)();
// The unattended install (/S): both programs set it to RunSilentInstall, so
// the install engine is linked only into programs that offer it. Without it
// /S is refused with exit code 1.
extern int (*UnattendedInstall)();
