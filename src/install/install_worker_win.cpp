// The install run's worker thread: every step between the wizard's install
// question and its finish page. It never touches a control: progress and
// questions go to the run's host, which hands them to the starting thread.
#include <windows.h>

#include "base/files.h"
#include "install/file_holders.h"
#include "install/folder_rules.h"
#include "install/install_run.h"
#include "install/progress.h"
#include "install/system_files.h"
#include "install/uninstall_entry.h"
#include "install/work_lists.h"
#include "package/cabinet_reader.h"
#include "package/stored_name.h"
#include "install/durable_log_store.h"
#include "script/destination.h"
#include "uninstall/log_record.h"
#include "uninstall/registry_text.h"

namespace {

bool Fail(TInstallRun& run, int code, unsigned systemError, const TStr& subject) {
  if (!run.Failure.Failed()) run.Failure.Set(kErrorInstall, code, systemError, subject);
  // Stops the cabinet layer and every later step.
  run.Cancel.Raise();
  return false;
}

// The uninstall log or its record could not be written: the rollback would
// not find what this run wrote, so the run stops.
bool FailLog(TInstallRun& run, TDurableLogStore& log) {
  const TError& f = log.Failure();
  if (f.Code == kLogRecordFailed) return Fail(run, kInstallRecordFailed, f.SystemError, f.Subject);
  return Fail(run, kInstallLogFailed, f.SystemError, run.LogPath);
}

TStr ScriptName(const TScriptValues& script, const char* section, const char* key, const char* fallback) {
  // The refused-script rule has turned away a present but unusable value; an
  // absent or empty one takes the default.
  TStr v = script.Value(section, key);
  return v.empty() ? TStr(fallback) : v;
}

// What takes a whole work list in one pass over the cabinet: each
// stored file is looked up in the list as the cabinet reaches it. One pass
// instead of one per file: every pass opens the cabinet, reads its whole
// directory and decodes a folder up to the wanted file. Each wanted file is
// recorded in the log before it is created, so a run killed while it writes
// leaves the file named in the log.
class TListSink : public TExtractSink {
public:
  ~TListSink() { SetList(nullptr, nullptr, nullptr); }
  // The list of the next pass, where its files are recorded, and the list of
  // names brought (may be null). Null names end the sink's use.
  void SetList(const TStrList* names, TLogListWriter* files, TStrList* brought) {
    keys_.Clear();
    delete[] met_;
    met_ = nullptr;
    names_ = names;
    files_ = files;
    brought_ = brought;
    if (!names) return;
    met_ = new bool[names->Count() ? names->Count() : 1];
    for (int i = 0; i < names->Count(); ++i) {
      keys_.Add(StoredNameKey((*names)[i].c_str()));
      met_[i] = false;
    }
  }
  bool Wants(const char* stored) override {
    current_ = Find(stored);
    if (current_ < 0) return false;
    // A new file is recorded before it is made; one that takes the place of
    // something already there is recorded only once that is out of the way
    // (Replacing), so a thing that could not be moved is never taken for
    // the run's own. Not taken when it cannot be recorded; the run stops.
    TStr path = StoredNameAsPath((*names_)[current_].c_str());
    if (GetFileAttributesA((folder + path).c_str()) != INVALID_FILE_ATTRIBUTES || files_->Append(path)) return true;
    current_ = -1;
    return Refuse();
  }
  // A file that could not be recorded is not made; the run stops.
  bool Refuse() {
    logFailed = true;
    if (stop) stop->Raise();
    return false;
  }
  bool Written(const char*) override {
    if (current_ < 0) return true;
    // Every entry of the list that names this file.
    TStr name = keys_[current_];
    for (int i = current_; i < names_->Count(); ++i)
      if (!met_[i] && keys_[i] == name) met_[i] = true;
    TStr path = StoredNameAsPath((*names_)[current_].c_str());
    NoteDone(observer, "file written", folder + path);
    if (brought_) brought_->Add(path);
    current_ = -1;
    return true;
  }
  // The first entry of the list no pass has met, or -1.
  int FirstMissing() const {
    for (int i = 0; i < names_->Count(); ++i)
      if (!met_[i]) return i;
    return -1;
  }
  // A file of the log's folder that is there already is kept under a name
  // of this run's (tag_) until the run ends, so a rollback can give it
  // back; its entry is in the log before the file is moved. The entries are
  // numbered from 1 in each run: a rollback reads only its own run's lines.
  bool Replacing(const TStr& path, TStr* aside) override {
    aside->clear();
    if (!SameTextAscii(folder.c_str(), FolderPart(log->Path()).c_str())) return true;
    TStr name = path.substr(folder.size()), kept;
    for (unsigned n = tag_;; n++) {
      char hex[9] = {};
      for (int i = 0; i < 8; i++) hex[i] = "0123456789abcdef"[(n >> (28 - 4 * i)) & 15];
      kept = Concat(name, ".", hex, kAsideEnding);
      if (!FileExists(folder + kept)) break;
    }
    if (!WriteLogValue(*log, kLogReplaced, LogListKey(kLogFileWord, replacedNext_).c_str(), name) ||
        !WriteLogValue(*log, kLogReplaced, LogListKey(kLogAsideWord, replacedNext_++).c_str(), kept))
      return Refuse();
    asides.Add(folder + kept);
    *aside = FileNamePart(kept);
    return true;
  }
  // The earlier file is out of the way: the one made now is the run's.
  bool Replaced(const TStr& path) override { return files_->Append(path.substr(folder.size())) || Refuse(); }
  // Asks whether to try again while another program holds the file; an
  // access refused counts only where the system names such a program.
  bool Retry(const TStr& path, unsigned systemError) override {
    TStr holders = FileHolders(path);
    if (systemError != ERROR_SHARING_VIOLATION && systemError != ERROR_LOCK_VIOLATION && holders.empty()) return false;
    return observer->AskRetry(Concat(path, "\r\nis in use by another program", holders.empty() ? "." : ": ", holders), caption);
  }
  bool logFailed = false;
  // Raised when a file cannot be recorded.
  TSharedFlag* stop = nullptr;
  // Told of each file written, as the folder's full path.
  TRunHost* observer = nullptr;
  TStr folder, caption;
  TDurableLogStore* log = nullptr;
  TStrList asides;  // the full paths of the files this run kept aside

private:
  int Find(const char* stored) {
    TStr key = StoredNameKey(stored);
    for (int i = 0; i < names_->Count(); ++i)
      if (!met_[i] && keys_[i] == key) return i;
    return -1;
  }
  const TStrList* names_ = nullptr;
  TLogListWriter* files_ = nullptr;
  TStrList* brought_ = nullptr;
  TStrList keys_;  // the names' StoredNameKey, compared as the cabinet goes by
  bool* met_ = nullptr;
  int current_ = -1;
  int replacedNext_ = 1;  // this run's next [Replaced] entry
  unsigned tag_ = GetTickCount() * 2654435761u ^ GetCurrentProcessId();
};

struct TWorker {
  TInstallRun& run;
  TDurableLogStore& log;
  TCabinetReader& reader;  // the one cabinet reader of the run
  TListSink& list;         // what it takes from the cabinet
  TProgressCounter progress;
  int lastPercent = -1;
};

void OnProgress(void* object, TCabinetReader*, long long written, int size) {
  TWorker& w = *static_cast<TWorker*>(object);
  if (w.run.Cancel) return;
  // The cabinet's size field is unsigned 32-bit.
  int percent = w.progress.Advance(written, (long long)(unsigned)size);
  if (percent != w.lastPercent) {
    w.lastPercent = percent;
    w.run.Host->Progress(percent);
  }
}

// Extracts one work list into `folder` and records each file that was
// written in `section`, numbered without gaps. System files that were there
// before are left alone and not recorded: the uninstall must never remove a
// file this installation did not bring. Returns false when the run stops.
bool ExtractList(TWorker& w, const TStrList& list, const TStr& folder, const char* section,
                 bool skipExisting, TStrList* brought, int* recorded) {
  *recorded = 0;
  if (w.run.Cancel) return false;
  TStrList wanted;
  TStr base = WithBackslash(folder);
  for (int i = 0; i < list.Count(); ++i)
    if (!(skipExisting && FileExists(base + list[i]))) wanted.Add(list[i]);
  if (wanted.Count() == 0) return true;
  TLogListWriter files(w.log, section, kLogFileWord);
  TCabinetReader& reader = w.reader;
  TListSink& sink = w.list;
  sink.SetList(&wanted, &files, brought);
  sink.stop = &w.run.Cancel;
  sink.observer = w.run.Host;
  sink.folder = base;
  // An empty name with a folder: every stored file is offered to CopyFile.
  bool ok = reader.ExtractFiles(TStr(), w.run.Package.cabinetPath, 0, folder);
  *recorded = files.Last();
  int missing = sink.FirstMissing();
  sink.SetList(nullptr, nullptr, nullptr);
  if (sink.logFailed || !w.log.Flush())
    return FailLog(w.run, w.log);
  if (w.run.Cancel) return false;
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

bool AppendExtraEntries(TWorker& w) {
  TLogListWriter files(w.log, kLogFiles, kLogFileWord);
  TStrList extra;
  ReadNumberedList(*w.run.Script, "Uninstall", extra);
  for (int i = 0; i < extra.Count(); ++i)
    if (!files.Append(extra[i])) return FailLog(w.run, w.log);
  return true;
}

// The highest folder of `folder`'s path that does not exist yet: what the
// install creates on its way there, and so the highest the uninstall may
// remove. Empty when the folder exists.
TStr HighestMissingFolder(TStr folder) {
  TStr top;
  while (folder.size() > 3 && folder.back() == '\\') folder.resize(folder.size() - 1);
  while (folder.size() > 3 && !FolderExists(folder)) {
    top = folder;
    TStr parent = FolderPart(folder);
    if (parent.size() > 3) parent.resize(parent.size() - 1);
    if (parent.size() >= folder.size()) break;
    folder = parent;
  }
  return top;
}

// Opens the log, going on with the one an earlier run of the product left
// in the folder. The highest folder created stays the one the first run
// created: the folder was there for every later run.
bool OpenLog(TInstallRun& run, TDurableLogStore& log) {
  const TStr& dest = run.Choices.Destination;
  TStr created = HighestMissingFolder(dest);
  if (!CreateFolders(dest, false)) return Fail(run, kInstallLogFailed, GetLastError(), dest);
  if (!log.Open(true)) return FailLog(run, log);
  run.LogStartBytes = log.StartBytes();
  if (!WriteLogHeader(log, run.Script->Value("Uninstall", "MessageString"),
                      run.Script->Value("Uninstall", "OKString"), GetACP()) ||
      (!log.Continued() && !WriteLogValue(log, kLogGeneral, kLogCreatedFolder, created)) || !log.Flush())
    return FailLog(run, log);
  return true;
}

bool Commit(TInstallRun& run) {
  // Checked once more right before the entry: a Cancel that came while the
  // system files were being registered must not get an entry written.
  if (run.Cancel) return false;
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
  // The product installed into this folder before under another log name:
  // its entry names that log, and this run goes on with it.
  TStr earlier = LogFromUninstallString(
      ReadRegistryText(HKEY_LOCAL_MACHINE, Concat(kUninstallKey, "\\", ScriptName(script, "Uninstall", "SectionName", "Kestin")),
                       "UninstallString"));
  if (ok && !earlier.empty() && UpperAscii(FolderPart(earlier)) == UpperAscii(WithBackslash(run.Choices.Destination)) &&
      FileExists(earlier)) {
    run.LogPath = earlier;
    run.LogName = FileNamePart(earlier);
  }
  TDurableLogStore log(run.LogPath);
  TCabinetReader reader;
  TListSink sink;
  sink.log = &log;
  sink.caption = run.Texts[TxtWarning];
  reader.Sink = &sink;
  reader.Cancel = &run.Cancel;
  reader.CpuType = 0;
  reader.CabinetOffset = run.Package.cabinetOffset;
  reader.TextCodePage = run.Package.textCodePage;
  reader.Scrambled = 1;
  TWorker w{run, log, reader, sink, {}, -1};
  w.progress.TotalBytes = lists.TotalBytes;
  reader.OnProgress = OnProgress;
  reader.OnProgressObject = &w;
  run.Host->Progress(0);

  ok = ok && OpenLog(run, log);
  ok = ok && ExtractList(w, lists.Installed, run.Choices.Destination, kLogFiles, false, nullptr,
                         &run.InstalledFiles);
  ok = ok && !run.Cancel && AppendExtraEntries(w);
  if (ok && !log.Flush()) ok = FailLog(run, log);
  TStrList brought;
  int systemFiles = 0;
  ok = ok && !run.Cancel &&
       ExtractList(w, lists.System, run.SystemFolder, kLogSysFiles, true, &brought, &systemFiles);
  if (ok && !run.Cancel && (!RegisterSystemFiles(run, log, lists.Registration, brought) || !log.Flush()))
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
    // An add-on that shares its base product's log names its own entry
    // beside the base product's.
    TStr named = log.Read(kLogUninstall, kLogSectionName, "");
    bool recorded = named.empty() || SameTextAscii(named.c_str(), entry.SectionName.c_str())
                        ? WriteLogValue(log, kLogUninstall, kLogSectionName, entry.SectionName)
                        : TLogListWriter(log, kLogUninstall, kLogEntryWord).Append(entry.SectionName);
    if (!recorded || !log.Flush()) {
      committed = FailLog(run, log);
    } else if (!WriteUninstallEntry(entry, run.PackagePath, run.Package.cabinetOffset, err)) {
      committed = Fail(run, kInstallEntryFailed, err.SystemError, err.Subject);
    }
    if (committed) {
      NoteDone(run.Host, "file written", entry.UninstallerPath);
      NoteDone(run.Host, "key set", Concat("HKEY_LOCAL_MACHINE\\", kUninstallKey, "\\", entry.SectionName));
      // The earlier files are no longer needed for an undo; one that stays
      // is the user's to know of, but the installation stands.
      for (int i = 0; i < sink.asides.Count(); i++) {
        TPlainResult r = DeletePlainFile(run.Choices.Destination, sink.asides[i]);
        if (r != kPathPlain && r != kPathMissing) NoteFailed(run.Host, "removed", sink.asides[i], GetLastError());
      }
    }
  }
  // Whatever happened, the rollback reads what is on disk.
  if (!run.LogPath.empty()) log.Flush();
  log.Close();
  // The full bar once the log is closed too.
  if (committed) run.Host->Progress(100);
  // Succeeded before Done: the wizard reads the result once it sees Done.
  run.Succeeded.Set(committed);
  if (committed && run.FinalPauseMs) Sleep(run.FinalPauseMs);
  run.Done.Raise();
}
