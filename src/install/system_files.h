// Registration of self-registering system files with the system's tool.
#pragma once
#include "base/str_list.h"
#include "install/install_run.h"
#include "uninstall/uninstall_log.h"

// Registers each file of `list` (names relative to the system folder) in
// order, waiting for each. A file that registered is recorded in [Register],
// numbered without gaps, when this installation brought it (`brought`, the
// names the run extracted into the system folder): a file that was there
// before stays registered after an uninstall, as other programs may use it.
// A failure is shown through the wizard ("Reg_Error_Msg name(code)"), kept in
// run.RegistrationFailures, and the run goes on. Returns false only when the
// log cannot be written.
bool RegisterSystemFiles(TInstallRun& run, TLogStore& log, const TStrList& list, const TStrList& brought);

// "Reg_Error_Msg" + " " + name + "(" + code + ")".
TStr RegistrationFailureText(const TStr& message, const TStr& name, unsigned code);
