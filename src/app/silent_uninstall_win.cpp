// The uninstall command with /S after the log path: everything the log names
// is removed without the question and without the final message.
#include <windows.h>

#include "app/silent_args.h"
#include "app/silent_mode.h"
#include "uninstall/removal_helper.h"
#include "uninstall/uninstall_run.h"

int RunSilentUninstall(const TStr& logPath) {
  TSilentArgs args;
  bool accepted = ParseSilentUninstallArgs(ArgumentsFrom(4), &args);
  TRunLog log;
  TError logError;
  if (!args.LogPath.empty() && !log.Open(args.LogPath, &logError)) return kExitRefused;
  if (!accepted) {
    log.Line(RunLogFailureLine("refused", args.Error, 0, TStr()));
    return kExitRefused;
  }
  log.Line(RunLogLine("uninstall from", logPath));
  TUninstallOutcome o;
  UninstallFromLog(logPath, true, &o, log);
  if (!o.Refusal.empty()) {
    log.Line(RunLogFailureLine("refused", o.Refusal, 0, TStr()));
    return kExitRefused;
  }
  if (!o.LogFound || o.NotALog) {
    log.Line(RunLogFailureLine("refused", Concat(o.NotALog ? "not an uninstall log: " : "no uninstall log: ", logPath),
                               0, TStr()));
    return kExitRefused;
  }
  bool complete = o.NotRemoved.Count() == 0 && o.Skipped.Count() == 0;
  // The uninstaller's own file goes once this process has ended, through the
  // helper, which is told to show nothing either.
  // (A message is still passed: an empty one would be a lone pair of quotes,
  // which the argument splitting skips, and /S would take its place.)
  if (o.RemoveOwnFile && !StartRemovalHelper("unattended", true)) {
    log.Line(RunLogFailureLine("removed", "the uninstaller's own file (no helper could be started)", 0, TStr()));
    complete = false;
  }
  log.Line(complete ? "removed" : "removed, with items left in place");
  return complete ? kExitDone : kExitRollbackIncomplete;
}
