// setup.exe /S: the wizard's install with its answers taken from the command
// line (or the defaults the wizard would propose), without a window. Every
// check that can refuse the run comes before the first change, so a refusal
// (exit code 1) leaves the machine as it was.
#include <windows.h>

#include "app/silent_args.h"
#include "app/silent_mode.h"
#include "app/startup.h"
#include "base/files.h"
#include "install/install_run.h"
#include "install/registry_values.h"
#include "install/shortcuts.h"
#include "install/option_size.h"
#include "script/defaults.h"
#include "base/profile_values.h"
#include "uninstall/uninstall_run.h"
#include "install/destination_check.h"
#include "install/folder_rules.h"
#include "install/space_text.h"

namespace {

int Refuse(TRunLog& log, const TStr& reason, unsigned systemError = 0) {
  log.Line(RunLogFailureLine("refused", reason, systemError, SystemErrorText(systemError)));
  return kExitRefused;
}

TStr OptionKey(int k, const char* suffix) { return Concat("Option", IntToStr(k), suffix); }

// The answers the wizard would take: every option checked (those that
// cannot be cleared always), the script's destination and group, the
// registered owner. Returns the refusal, or an empty text.
TStr SettleChoices(const TSilentArgs& args, TSetupSession& session, TInstallChoices& c, TRunLog& log) {
  const TSetupScript& script = *session.Script;
  int count = 0;
  while (count < kMaxOptions && !script.Value("Options", OptionKey(count + 1, "_Text").c_str()).empty()) count++;
  c.ComponentCount = count;
  for (int i = 0; i < kMaxOptions; i++) {
    if (args.HasComponents && args.Components[i] && i >= count)
      return Concat("COMPONENTS names option ", IntToStr(i + 1), "; this package has ", IntToStr(count));
  }
  for (int k = 1; k <= count; k++) {
    TError e;
    long long size = MeasureOption(session.Package, script, k, &e);
    if (e.Failed()) return "The package's files could not be measured: " + e.Subject;
    c.ComponentSizes[k - 1] = size;
    bool fixed = ProfileInteger(script.Value("Options", OptionKey(k, "_Enabled").c_str()), 1) != 1;
    bool wanted = !args.HasComponents || args.Components[k - 1];
    if (fixed && !wanted) log.Line(Concat("option ", IntToStr(k), " is always installed"));
    c.ComponentChecks[k - 1] = wanted || fixed;
  }

  // Asked even when DIR= is given: a product that needs an earlier
  // installation ([Path] NotFoundPathMsg) is refused without it, as the
  // wizard refuses it.
  TError e;
  c.Destination = GetDestinationFolder(script, *session.MachineRegistry, &e);
  if (e.Failed()) return e.Subject;
  if (args.HasDir) c.Destination = args.Dir;
  c.Destination = WindowsSeparators(c.Destination);
  if (!IsFullFolderPath(c.Destination))
    return "The destination is not a full folder path (give one with DIR=): " + c.Destination;

  c.Group = args.HasGroup ? args.Group : script.Value("Shortcuts", "Group");
  if (!IsAcceptableGroupName(c.Group))
    return "The program group is not a name below the programs menu (give one with GROUP=): " + c.Group;
  c.GroupExisted = !c.Group.empty() && FolderExists(ShortcutBaseFolder(kProgramShortcuts, c.Group));
  c.UserName = args.HasUser ? args.User : GetRegisteredOwner(*session.MachineRegistry, session.WindowsNT);
  c.Company = args.HasCompany ? args.Company : GetRegisteredOrganization(*session.MachineRegistry, session.WindowsNT);
  return TStr();
}

int InstallWithStartedSetup(const TSilentArgs& args, TSetupSession& session, TRunLog& log) {
  const TSetupScript& script = *session.Script;
  TInstallRun run;
  run.Script = &script;
  if (!CheckScript(run)) return Refuse(log, DescribeInstallFailure(run.Failure));
  TInstallChoices& c = run.Choices;
  TStr refusal = SettleChoices(args, session, c, log);
  if (!refusal.empty()) return Refuse(log, refusal);

  // The wizard's own checks of the destination page.
  long long need = RequiredBytes(c.ComponentSizes, c.ComponentChecks, c.ComponentCount);
  long long free = FreeBytes(c.Destination);
  if (!HasRoomFor(need, free))
    return Refuse(log, Concat("There is not enough free space on ", DestinationRoot(c.Destination), ": ",
                              KilobyteText(need), " needed, ", KilobyteText(free), " free"));
  TStr unwritable = CheckDestinationWritable(c.Destination);
  if (!unwritable.empty()) return Refuse(log, unwritable);

  TakeSessionPlaces(session, run);
  run.FinalPauseMs = 0;
  run.Host = &log;
  log.Line(RunLogLine("install into", c.Destination));

  TInstallOutcome outcome = StartInstall(run);
  if (outcome != kInstallSucceeded) {
    if (run.Failure.Failed()) log.Line(RunLogFailureLine("install", DescribeInstallFailure(run.Failure), 0, TStr()));
    // A run that never reached the destination changed nothing.
    if (run.LogPath.empty()) return kExitRefused;
    return run.RollbackComplete ? kExitRolledBack : kExitRollbackIncomplete;
  }
  if (!args.NoShortcuts) {
    CreateShortcuts(run, kDesktopShortcuts);
    CreateShortcuts(run, kProgramShortcuts);
  }
  if (!args.NoAssoc)
    for (int i = 1; !script.Value("RegisterExt", ("Caption" + IntToStr(i)).c_str()).empty(); i++)
      WriteAssociation(run, i);
  log.Line("installed");
  return kExitDone;
}

}  // namespace

int RunSilentInstall() {
  TSilentArgs args;
  bool accepted = ParseSilentArgs(ArgumentsFrom(2), &args);
  TRunLog log;
  TError logError;
  if (!args.LogPath.empty() && !log.Open(args.LogPath, &logError)) return kExitRefused;
  if (!accepted) return Refuse(log, args.Error);

  TSetupSession session;
  TError failure = SetupStartup(session);
  if (failure.Failed()) return Refuse(log, StartupErrorText(failure), failure.SystemError);
  int code = InstallWithStartedSetup(args, session, log);
  SetupTeardown(session);
  return code;
}
