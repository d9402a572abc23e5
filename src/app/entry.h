#pragma once

// Runs the mode the command line selects and returns the process exit code.
int RunChosenMode();
// Install mode: start-up, wizard, teardown, optional launch of the product.
void RunInstallMode();
