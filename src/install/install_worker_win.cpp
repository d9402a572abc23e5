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
#include "install/buffered_log_store.h"

namespace {

bool Fail(TInstallRun& run, int code, unsigned systemError, const TStr& subject) {
  if (!run.Failure.Failed()) run.Failure.Set(code, systemError, subject);
  // Stops the cabinet layer and every later step.
  CancelFlag.Raise();
  return false;
}

// The uninstall log could not be written: the rollback would not find what
// this run wrote, so the run stops.
bool FailLog(TInstallRun& run, TBufferedLogStore& log) {
  return Fail(run, kInstallLogFailed, log.Failure().SystemError, run.LogPath);
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

// A reader that takes a whole work list in one pass over the cabinet: each
// stored file is looked up in the list as the cabinet reaches it. One pass
// instead of one per file: every pass opens the cabinet, reads its whole
// directory and decodes a folder up to the wanted file. Finished files are
// recorded in list order as far as the list is complete (so a list in
// cabinet order is recorded file by file); Finish records the rest.
class TListReader : public TCabinetReader {
public:
  ~TListReader() override { SetList(nullptr, nullptr, nullptr); }
  // The list of the next pass, where its files are recorded, and the list of
  // names brought (may be null). Null names end the reader's use.
  void SetList(const TStrList* names, TLogListWriter* files, TStrList* brought) {
    upper_.Clear();
    delete[] met_;
    met_ = nullptr;
    names_ = names;
    files_ = files;
    brought_ = brought;
    next_ = 0;
    if (!names) return;
    met_ = new bool[names->Count() ? names->Count() : 1];
    for (int i = 0; i < names->Count(); ++i) {
      upper_.Add(UpperAscii((*names)[i]));
      met_[i] = false;
    }
  }
  intptr_t CopyFile(TFdiNotification* n) override {
    current_ = Find(n->psz1 ? n->psz1 : "");
    if (current_ < 0) return 0;
    return TCabinetReader::CopyFile(n);
  }
  intptr_t CloseFileInfo(TFdiNotification* n) override {
    intptr_t r = TCabinetReader::CloseFileInfo(n);
    if (current_ < 0) return r;
    // Every entry of the list that names this file.
    TStr name = upper_[current_];
    for (int i = current_; i < names_->Count(); ++i)
      if (!met_[i] && upper_[i] == name) met_[i] = true;
    current_ = -1;
    while (next_ < names_->Count() && met_[next_]) Record(next_++);
    return logFailed ? -1 : r;
  }
  // Records the finished files that still wait behind an unfinished one.
  void Finish() {
    for (int i = next_; i < names_->Count(); ++i)
      if (met_[i]) Record(i);
    next_ = names_->Count();
  }
  // The first entry of the list no pass has met, or -1.
  int FirstMissing() const {
    for (int i = 0; i < names_->Count(); ++i)
      if (!met_[i]) return i;
    return -1;
  }
  bool logFailed = false;
  // Told of each file recorded, as the folder's full path.
  TRunObserver* observer = nullptr;
  TStr folder;

private:
  int Find(const char* stored) {
    TStr upper = UpperAscii(stored);
    for (int i = 0; i < names_->Count(); ++i)
      if (!met_[i] && upper_[i] == upper) return i;
    return -1;
  }
  const TStrList* names_ = nullptr;
  TLogListWriter* files_ = nullptr;
  TStrList* brought_ = nullptr;
  TStrList upper_;
  bool* met_ = nullptr;
  int current_ = -1;
  int next_ = 0;  // the first entry not yet recorded

  void Record(int i) {
    if (!files_->Append((*names_)[i])) logFailed = true;
    NoteDone(observer, "file written", folder + (*names_)[i]);
    if (brought_) brought_->Add((*names_)[i]);
  }
};

struct TWorker {
  TInstallRun& run;
  TBufferedLogStore& log;
  TListReader& reader;  // the one cabinet reader of the run
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

// Extracts one work list into `folder` and records each file that was
// written in `section`, numbered without gaps. System files that were there
// before are left alone and not recorded: the uninstall must never remove a
// file this installation did not bring. Returns false when the run stops.
bool ExtractList(TWorker& w, const TStrList& list, const TStr& folder, const char* section,
                 bool skipExisting, TStrList* brought, int* recorded) {
  *recorded = 0;
  if (CancelFlag) return false;
  TStrList wanted;
  TStr base = WithBackslash(folder);
  for (int i = 0; i < list.Count(); ++i)
    if (!(skipExisting && FileExists(base + list[i]))) wanted.Add(list[i]);
  if (wanted.Count() == 0) return true;
  TLogListWriter files(w.log, section, kLogFileWord);
  TListReader& reader = w.reader;
  reader.SetList(&wanted, &files, brought);
  reader.observer = w.run.Observer;
  reader.folder = base;
  // An empty name with a folder: every stored file is offered to CopyFile.
  bool ok = reader.ExtractFiles(TStr(), w.run.CabinetPath, 0, folder);
  reader.Finish();
  *recorded = files.Last();
  int missing = reader.FirstMissing();
  reader.SetList(nullptr, nullptr, nullptr);
  // Written out whatever happened: a rollback must find every file written.
  if (!w.log.Flush() || reader.logFailed)
    return FailLog(w.run, w.log);
  if (CancelFlag) return false;
  if (!ok && reader.Failure.Failed()) {
    // The cabinet layer knows best what failed (a damaged cabinet, a stored
    // name refused, a file that could not be created): pass its report on.
    if (!w.run.Failure.Failed()) w.run.Failure = reader.Failure;
    return false;
  }
  if (!ok) return Fail(w.run, kInstallExtractFailed, (unsigned)reader.LastIoError, folder);
  if (missing >= 0)
    return Fail(w.run, kInstallExtractFailed, 0, wanted[missing] + " (not in the package)");
  return true;
}

bool AppendExtraEntries(TWorker& w, int installed) {
  TLogListWriter files(w.log, kLogFiles, kLogFileWord, installed + 1);
  for (int j = 1;; ++j) {
    TStr name = w.run.Script->Value("Uninstall", IntToStr(j).c_str());
    if (name.empty()) return true;
    if (!files.Append(name))
      return FailLog(w.run, w.log);
  }
}

bool OpenLog(TInstallRun& run, TBufferedLogStore& log) {
  const TStr& dest = run.Choices.Destination;
  if (!CreateFolders(dest, false)) return Fail(run, kInstallLogFailed, GetLastError(), dest);
  if (!WriteLogHeader(log, run.Script->Value("Uninstall", "MessageString"),
                      run.Script->Value("Uninstall", "OKString"), GetACP()) ||
      !log.Flush())
    return FailLog(run, log);
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
  TBufferedLogStore log(run.LogPath);
  TListReader reader;
  reader.CpuType = 0;
  reader.CabinetOffset = run.CabinetOffset;
  reader.Scrambled = 1;
  TWorker w{run, log, reader, {}, -1};
  w.progress.TotalBytes = lists.TotalBytes;
  reader.OnProgress = OnProgress;
  reader.OnProgressObject = &w;
  PostProgress(run, 0);

  ok = ok && OpenLog(run, log);
  ok = ok && ExtractList(w, lists.Installed, run.Choices.Destination, kLogFiles, false, nullptr,
                         &run.InstalledFiles);
  ok = ok && !CancelFlag && AppendExtraEntries(w, run.InstalledFiles);
  if (ok && !log.Flush()) ok = FailLog(run, log);
  TStrList brought;
  int systemFiles = 0;
  ok = ok && !CancelFlag &&
       ExtractList(w, lists.System, run.SystemFolder, kLogSysFiles, true, &brought, &systemFiles);
  if (ok && !CancelFlag && (!RegisterSystemFiles(run, log, lists.Registration, brought) || !log.Flush()))
    ok = FailLog(run, log);
  bool committed = ok && Commit(run);
  if (committed) {
    TUninstallEntry entry;
    entry.SectionName = ScriptName(script, "Uninstall", "SectionName", "Kestin");
    entry.DisplayName = ScriptName(script, "General", "ProgramName", "Kestin");
    entry.UninstallerPath = WithBackslash(run.WindowsFolder) +
                            ScriptName(script, "Uninstall", "UninstallerName", "Uninst.kvl");
    entry.LogPath = run.LogPath;
    TError err;
    // On disk before the entry exists, so the log always names the entry.
    if (!WriteLogValue(log, kLogUninstall, kLogSectionName, entry.SectionName) || !log.Flush()) {
      committed = FailLog(run, log);
    } else if (!WriteUninstallEntry(entry, run.PackagePath, run.CabinetOffset, err)) {
      committed = Fail(run, kInstallEntryFailed, err.SystemError, err.Subject);
    }
    if (committed) {
      NoteDone(run.Observer, "file written", entry.UninstallerPath);
      NoteDone(run.Observer, "key set", Concat("HKEY_LOCAL_MACHINE\\", kUninstallKey, "\\", entry.SectionName));
      PostProgress(run, 100);
    }
  }
  // Whatever happened, the rollback reads what is on disk.
  if (!run.LogPath.empty()) log.Flush();
  // Succeeded before Done: the wizard reads the result once it sees Done.
  InstallSucceeded.Set(committed);
  if (committed && run.FinalPauseMs) Sleep(run.FinalPauseMs);
  InstallDone.Raise();
}
