#pragma once

struct TSetupSession;

// Install mode's run through the background window and the wizard: built,
// run modally unless setup was cancelled while they were built, freed. The
// wizard leaves its decisions (cancel, launch) in the session.
void RunWizard(TSetupSession& session);
