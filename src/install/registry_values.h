// The product's registry key ([Registry]) and the file associations
// ([RegisterExt]), written on the wizard's thread and recorded in the
// uninstall log.
#pragma once
#include "install/install_run.h"

// After a successful run: the key [Registry] Section below HKEY_LOCAL_MACHINE
// ("LM", exact case) or HKEY_CURRENT_USER (any other non-empty Root) gets the
// user's name and organisation. The log records the key only when this
// installation created it, so the uninstall never deletes a key that was
// there before; a key it created but could not record is deleted again.
// Failures are told to the run's host and passed over.
void WriteProductKey(TInstallRun& run);

// Association i (from 1). A new extension gets its key and file type; an
// extension or file type that exists is left as it is, and only the verb
// ActionTitle<i> is added to the type, unless the type already has that verb
// (another program's `open`, say): then nothing is written. An extension
// key, new or there without a type, gets the script's type as its default
// value, recorded in [Extensions] DefaultN first; a missing type an
// extension names is made to hold the verb. The log records the added
// verb in [Extensions] before it is made and every key created whole in
// [Created], all numbered without gaps; what cannot be recorded is not
// written (a key found new is deleted again) and is told to the host.
void WriteAssociation(TInstallRun& run, int i);
