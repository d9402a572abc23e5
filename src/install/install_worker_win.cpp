// The install run's worker thread: every step between the wizard's install
// question and its finish page. It never touches a control: progress is
// posted, questions go through AskWizard.
#include <windows.h>

#include "base/files.h"
#include "base/process_state.h"
#include "install/install_run.h"
#include "install/progress.h"
#include "install/system_files.h"
#include "install/uninstall_entry.h"
#include "install/work_lists.h"
#include "package/cabinet_reader.h"
#include "uninstall/profile_log_store.h"

namespace {

struct TWorker {
  TInstallRun& run;
  TProfileLogStore& log;
  TCabinetReader& reader;
  TProgressCounter progress;
  int lastPercent = -1;
};

void OnProgress(void* object, TCabinetReader*, long long written, int size) {
  TWorker& w = *static_cast<TWorker*>(object);
  if (CancelFlag) return;
  // The cabinet's size field is unsigned 32-bit.
  int percent = w.progress.Advance(written, (long long)(unsigned)size);
  if (percent != w.lastPercent) {
    w.lastPercent = percent;
    PostProgress(w.run, percent);
  }
}

bool Fail(TInstallRun& run, int code, unsigned systemError, const TStr& subject) {
  if (!run.Failure.Failed()) run.Failure.Set(code, systemError, subject);
  // Stops the cabinet layer and every later step.
  CancelFlag.Raise();
  return false;
}

bool IsFullFolderPath(const TStr& p) {
  return (p.size() >= 3 && p[1] == ':' && p[2] == '\\') || (p.size() >= 3 && p[0] == '\\' && p[1] == '\\');
}

TStr ScriptName(const TScriptValues& script, const char* section, const char* key, const char* fallback) {
  // The refused-script rule has turned away a present but unusable value; an
  // absent or empty one takes the default.
  TStr v = script.Value(section, key);
  return v.empty() ? TStr(fallback) : v;
}

// Extracts one work list into `folder` and records each file that was
// written in `section`, numbered without gaps. System files that were there
// before are left alone and not recorded: the uninstall must never remove a
// file this installation did not bring. Returns false when the run stops.
bool ExtractList(TWorker& w, const TStrList& list, const TStr& folder, const char* section,
                 bool skipExisting, TStrList* brought) {
  TLogListWriter files(w.log, section, kLogFileWord);
  TStr base = WithBackslash(folder);
  for (int i = 0; i < list.Count(); ++i) {
    if (CancelFlag) return false;
    const TStr& name = list[i];
    TStr target = base + name;
    if (skipExisting && FileExists(target)) continue;
    w.reader.FileFound = 0;
    w.reader.LastIoError = 0;
    bool ok = w.reader.ExtractFiles(name, w.run.CabinetPath, 0, folder);
    if (CancelFlag) return false;
    if (!ok || !w.reader.FileFound)
      return Fail(w.run, kInstallExtractFailed, (unsigned)w.reader.LastIoError,
                  w.reader.FileFound ? target : name + " (not in the package)");
    if (!files.Append(name))
      return Fail(w.run, kInstallLogFailed, w.log.Failure().SystemError, w.run.LogPath);
    if (brought) brought->Add(name);
  }
  return true;
}

bool AppendExtraEntries(TWorker& w, int installed) {
  TLogListWriter files(w.log, kLogFiles, kLogFileWord, installed + 1);
  for (int j = 1;; ++j) {
    TStr name = w.run.Script->Value("Uninstall", IntToStr(j).c_str());
    if (name.empty()) return true;
    if (!files.Append(name))
      return Fail(w.run, kInstallLogFailed, w.log.Failure().SystemError, w.run.LogPath);
  }
}

bool OpenLog(TInstallRun& run, TProfileLogStore& log) {
  const TStr& dest = run.Choices.Destination;
  if (!CreateFolders(dest, false)) return Fail(run, kInstallLogFailed, GetLastError(), dest);
  if (!WriteLogHeader(log, run.Script->Value("Uninstall", "MessageString"),
                      run.Script->Value("Uninstall", "OKString")))
    return Fail(run, kInstallLogFailed, log.Failure().SystemError, run.LogPath);
  return true;
}

bool Commit(TInstallRun& run) {
  // Checked once more right before the entry: a Cancel that came while the
  // system files were being registered must not get an entry written.
  if (CancelFlag) return false;
  int expected = 0;
  return run.State.compare_exchange_strong(expected, 2);
}

}  // namespace

void RunInstallWorker(TInstallRun& run) {
  const TScriptValues& script = *run.Script;
  TWorkLists lists;
  BuildWorkLists(script, run.Choices, lists);
  run.LogName = ScriptName(script, "Uninstall", "LogName", kLogDefaultName);
  run.LogPath.clear();
  bool ok = true;
  if (!IsFullFolderPath(run.Choices.Destination))
    ok = Fail(run, kInstallBadDestination, 0, run.Choices.Destination);
  if (ok) run.LogPath = LogPath(run.Choices.Destination, run.LogName);
  TProfileLogStore log(run.LogPath);
  TCabinetReader reader;
  reader.CpuType = 0;
  reader.CabinetOffset = run.CabinetOffset;
  reader.Scrambled = 1;
  TWorker w{run, log, reader, {}, -1};
  w.progress.TotalBytes = lists.TotalBytes;
  reader.OnProgress = OnProgress;
  reader.OnProgressObject = &w;
  PostProgress(run, 0);

  ok = ok && OpenLog(run, log);
  ok = ok && ExtractList(w, lists.Installed, run.Choices.Destination, kLogFiles, false, nullptr);
  if (ok) run.InstalledFiles = lists.Installed.Count();
  ok = ok && !CancelFlag && AppendExtraEntries(w, run.InstalledFiles);
  TStrList brought;
  ok = ok && !CancelFlag && ExtractList(w, lists.System, run.SystemFolder, kLogSysFiles, true, &brought);
  reader.OnProgress = nullptr;
  if (ok && !CancelFlag && !RegisterSystemFiles(run, log, lists.Registration, brought))
    ok = Fail(run, kInstallLogFailed, log.Failure().SystemError, run.LogPath);
  bool committed = ok && Commit(run);
  if (committed) {
    TUninstallEntry entry;
    entry.SectionName = ScriptName(script, "Uninstall", "SectionName", "Kestin");
    entry.DisplayName = ScriptName(script, "General", "ProgramName", "Kestin");
    entry.UninstallerPath = WithBackslash(run.WindowsFolder) +
                            ScriptName(script, "Uninstall", "UninstallerName", "Uninst.kvl");
    entry.LogPath = run.LogPath;
    TError err;
    if (!WriteLogValue(log, kLogUninstall, kLogSectionName, entry.SectionName)) {
      committed = Fail(run, kInstallLogFailed, log.Failure().SystemError, run.LogPath);
    } else if (!WriteUninstallEntry(entry, run.PackagePath, run.CabinetOffset, err)) {
      committed = Fail(run, kInstallEntryFailed, err.SystemError, err.Subject);
    }
    if (committed) PostProgress(run, 100);
  }
  // Succeeded before Done: the wizard reads the result once it sees Done.
  InstallSucceeded.Set(committed);
  if (committed) Sleep(500);  // the full bar stays visible a moment
  InstallDone.Raise();
}
