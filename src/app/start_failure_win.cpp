// How a run that could not start says so. The release's loader uses this
// before the program runs, so it links nothing of the runs themselves.
#include <windows.h>

#include "app/entry.h"
#include "app/program_args.h"
#include "app/run_mode.h"
#include "app/silent_args.h"
#include "app/silent_mode.h"
#include "app/startup.h"
#include "base/message_box.h"

bool IsUnattendedRun(RunMode mode) {
  // Where each mode takes its /S: the unattended install has it first, the
  // uninstall after the log path, the removal helper after its two values.
  switch (mode) {
    case RunUnattended: return true;
    case RunUninstall: return IsSilentSwitch(ProgramArgument(3));
    case RunRemovalHelper: return IsSilentSwitch(ProgramArgument(4));
    default: return false;
  }
}

void ReportStartFailure(const TError& error) {
  TStr text = StartErrorText(error);
  TStr reason = SystemErrorText(error.SystemError);
  RunMode mode = ChooseRunMode(ProgramArgument(1));
  if (!IsUnattendedRun(mode)) {
    if (!reason.empty()) text = Concat(text, "\n\n", reason);
    ShowMessage(nullptr, text.c_str(), "Error", MB_ICONERROR);
    return;
  }
  // The log named on the command line, by the rule the run itself applies
  // first; the removal helper keeps none.
  TSilentArgs args;
  if (mode != RunRemovalHelper) TakeLog(ArgumentsFrom(mode == RunUnattended ? 2 : 4), &args);
  TRunLog log;
  TError ignored;
  if (!args.LogPath.empty() && log.Open(args.LogPath, &ignored))
    log.Line(RunLogFailureLine("refused", text, error.SystemError, reason));
}
