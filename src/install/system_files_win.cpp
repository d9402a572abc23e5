#include <windows.h>

#include "base/run_program.h"
#include "install/system_files.h"
#include "package/stored_name.h"
#include "uninstall/registration_command.h"

namespace {

// Starts the tool by its full path (never searched for along the path) and
// waits; the exit code, or the system error when it cannot start.
unsigned RunTool(const TStr& tool, const TStr& commandLine) {
  unsigned code;
  TError error;
  if (!RunProgram(tool.c_str(), commandLine, SW_SHOWNORMAL, true, &code, &error)) return error.SystemError;
  return code;
}

bool Contains(const TStrList& list, const TStr& name) {
  for (int i = 0; i < list.Count(); ++i)
    if (SameStoredName(list[i].c_str(), name.c_str())) return true;
  return false;
}

}  // namespace

bool RegisterSystemFiles(TInstallRun& run, TLogStore& log, const TStrList& list, const TStrList& brought) {
  TLogListWriter registered(log, kLogRegister, kLogFileWord);
  TStr tool = RegistrationTool(run.SystemFolder);
  for (int i = 0; i < list.Count(); ++i) {
    if (run.Cancel) return true;
    const TStr& name = list[i];
    unsigned result = RunTool(tool, RegistrationCommand(run.SystemFolder, name, false));
    if (result == 0) {
      NoteDone(run.Host, "file registered", WithBackslash(run.SystemFolder) + name);
      if (Contains(brought, name) && !registered.Append(name)) return false;
      continue;
    }
    TStr text = RegistrationFailureText(run.Texts[TxtRegErrorMsg], name, result);
    run.RegistrationFailures.Add(text);
    // The tool's exit code, or the system's error when it did not start:
    // said as a number, not as a system text that may not fit.
    NoteFailed(run.Host, "file registered",
               Concat(WithBackslash(run.SystemFolder), name, " (result ", IntToStr(result), ")"), 0);
    run.Host->Tell(kNoticeError, text, run.Texts[TxtError]);
  }
  return true;
}
