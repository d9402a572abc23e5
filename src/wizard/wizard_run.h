#pragma once

// Install mode's run through the background window and the wizard: built,
// run modally unless setup was cancelled while they were built, freed.
void RunWizard();
