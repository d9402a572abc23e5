#include <windows.h>

#include "base/files.h"
#include "base/plain_path.h"
#include "script/destination.h"
#include "uninstall/log_record.h"
#include "uninstall/memory_log_store.h"
#include "uninstall/profile_log_store.h"
#include "uninstall/registry_text.h"
#include "uninstall/removal_helper.h"
#include "uninstall/undo_steps.h"
#include "uninstall/uninstall_run.h"

// A log without a question would show an empty box with Yes and No.
static const char kDefaultQuestion[] = "Remove the installed program and all of its components?";
static const char kNoLog[] = "Nothing was removed: the uninstall log could not be found.";
static const char kNotALog[] = "Nothing was removed: this file is not an uninstall log.";
namespace {
struct TLockRelease {
  HANDLE lock;
  ~TLockRelease() {
    if (lock) CloseHandle(lock);
  }
};
}  // namespace

static const char kUnreadableLog[] = "Nothing was removed: the uninstall log could not be read.";

// Every log an installation writes starts with both of its [General] texts
// (empty when unset). Any other file named on the command line is left
// alone: the run deletes the log at its end, and a file that was never a log
// is not ours to delete.
static bool IsUninstallLog(const TLogStore& log) {
  static const char kAbsent[] = "\x01";
  return log.Read(kLogGeneral, kLogMessageString, kAbsent) != kAbsent &&
         log.Read(kLogGeneral, kLogOKString, kAbsent) != kAbsent;
}

static TStr FullPathOf(const TStr& path) {
  char buf[MAX_PATH];
  char* name = nullptr;
  DWORD n = GetFullPathNameA(path.c_str(), sizeof buf, buf, &name);
  return n && n < sizeof buf ? TStr(buf, n) : TStr();
}

static bool NamesProgram(const TStr& commandLine, const TStr& program) {
  return !program.empty() && UpperAscii(commandLine).find(UpperAscii(program).c_str()) != TStr::npos;
}

static TStr EntryCommand(const TStr& entryName) {
  return ReadRegistryText(HKEY_LOCAL_MACHINE, Concat(kUninstallListKey, "\\", entryName), "UninstallString");
}

// Several products may share one uninstaller file: it stays while any other
// product's entry still starts it.
static bool AnyEntryUses(const TStr& program) {
  HKEY list;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallListKey, 0, KEY_READ, &list) != ERROR_SUCCESS) return false;
  bool used = false;
  char name[256];
  for (DWORD i = 0; !used; i++) {
    DWORD n = sizeof name;
    LONG rc = RegEnumKeyExA(list, i, name, &n, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc == ERROR_SUCCESS) used = NamesProgram(EntryCommand(name), program);
  }
  RegCloseKey(list);
  return used;
}

static TStr StepSubject(const TUndoStep& step) {
  const char* root = nullptr;
  const char* below = nullptr;
  switch (step.Kind) {
    case kUndoDeleteProductKey:
    case kUndoDeleteProductValue:
      root = step.LocalMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\";
      break;
    case kUndoDeleteVerb:
    case kUndoDeleteClassKey:
    case kUndoClearExtensionDefault:
      root = "HKEY_CLASSES_ROOT\\";
      break;
    case kUndoDeleteUninstallEntry:
      root = "HKEY_LOCAL_MACHINE\\";
      below = kUninstallListKey;
      break;
    default:
      break;
  }
  if (step.Kind == kUndoDeleteProductValue || step.Kind == kUndoClearExtensionDefault)
    return Concat(root, step.Target,
                  step.Value.empty() || step.Kind == kUndoClearExtensionDefault ? " (default value)"
                                                                                : Concat(" value ", step.Value));
  return Concat(root, below, below ? "\\" : nullptr, step.Target);
}

// What the run acts on: the record's bytes up to its last whole line (the
// log is the record or the start of it), with sections and keys merged as
// the log's runs appended them. A rollback with `keptBytes` takes only what
// its own run appended, its lists numbered from 1, under the log's [General]
// texts.
static TStr PlanText(const TStr& recordBytes, size_t keptBytes) {
  TStr bytes = recordBytes.substr(0, CompleteLinesLength(recordBytes));
  if (keptBytes && keptBytes <= bytes.size()) {
    TMemoryLogStore whole;
    whole.Load(bytes);
    TStr general = Concat("[General]\r\n", kLogMessageString, "=", whole.Read(kLogGeneral, kLogMessageString, ""));
    general += Concat("\r\n", kLogOKString, "=", whole.Read(kLogGeneral, kLogOKString, ""), "\r\n");
    general += Concat(kLogCodePage, "=", whole.Read(kLogGeneral, kLogCodePage, ""), "\r\n");
    bytes = general + RenumberedLists(bytes.substr(keptBytes));
  }
  TStr merged = TMemoryLogStore::Merged(bytes);
  return merged.empty() ? bytes : merged;
}

void UninstallFromLog(const TStr& logPath, bool fullMode, TUninstallOutcome* outcome, TRunHost& host,
                      size_t keptBytes) {
  TRunHost* observer = &host;
  TUninstallOutcome& o = *outcome;
  if (logPath.empty()) return;
  TStr log = FullPathOf(logPath);
  if (log.empty()) return;
  TFolderSet keep;
  AddWellKnownFolders(keep);
  TDiskFolders disk;
  o.LogFound = FileExists(log);
  // Held while the run acts on it, so nothing can replace it meanwhile; a
  // link in its place leads to a file that is not this installation's.
  HANDLE held = o.LogFound ? CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_OPEN_REPARSE_POINT, nullptr)
                           : INVALID_HANDLE_VALUE;
  if (held != INVALID_HANDLE_VALUE && CheckPlainEntry(held, log.c_str(), false, false) == kPathLinked) {
    CloseHandle(held);
    o.NotALog = true;
    return;
  }
  // One run per log: a second run of the same log would remove what the
  // first is removing and report its steps as its own. (The system closes
  // the lock when this process ends, however it ends.)
  HANDLE lock = o.LogFound ? CreateMutexA(nullptr, FALSE, UninstallLockName(log).c_str()) : nullptr;
  bool busy = lock && GetLastError() == ERROR_ALREADY_EXISTS;
  TLockRelease release{lock};
  if (busy) {
    o.Refusal = kUninstallRunning;
    CloseHandle(held);
    return;
  }
  if (o.LogFound) {
    // Read once: the check below and every step after it see these bytes,
    // so nothing can be swapped in between.
    TStr bytes, recordBytes;
    bool missing = false;
    if (!ReadSmallFile(log, kLogFileMax, &bytes, &missing)) {
      o.Refusal = Concat(kUnreadableLog, "\r\n", log);
      CloseHandle(held);
      return;
    }
    TStr record = LogRecordPath(log);
    bool hasRecord = !record.empty() && ReadSmallFile(record, kLogFileMax, &recordBytes, &missing);
    TLogRecordVerdict verdict = CompareLogWithRecord(bytes, hasRecord ? &recordBytes : nullptr);
    // A log the record vouches for is the install's own, even one a run
    // killed before its first line left empty.
    if (verdict != kLogMatchesRecord && !IsUninstallLog(TProfileLogStore(PlanText(bytes, 0)))) {
      o.NotALog = true;
      CloseHandle(held);
      return;
    }
    if (verdict != kLogMatchesRecord) {
      o.Refusal = LogRecordRefusal(verdict, record);
      CloseHandle(held);
      return;
    }
    TProfileLogStore store(PlanText(recordBytes, keptBytes));
    TUndoContext context;
    context.LogPath = log;
    TStr system = SystemFolderPath();
    context.SystemFolder = system.empty() ? system : WithBackslash(system);
    AddShortcutRoots(context.ShortcutRoots, &context.ProgramsFolder);
    context.FullMode = fullMode;
    TUndoPlan plan;
    ReadUndoPlan(store, context, &plan);
    for (int i = 0; i < plan.KeptFolders.Count(); i++) keep.Add(plan.KeptFolders[i]);
    const TStr& question = plan.Question.empty() ? TStr(kDefaultQuestion) : plan.Question;
    if (!host.Ask(question, "Warning", true)) {
      CloseHandle(held);
      return;
    }
    o.Confirmed = true;

    // Read before the entry goes: the program may delete itself only when
    // this product's entry is what starts it.
    // (An add-on installed into the product's folder shares its log and
    // brought an entry and an uninstaller file of its own.)
    TStrList entryCommands;
    for (int i = 0; i < plan.Steps.Count(); i++)
      if (plan.Steps[i].Kind == kUndoDeleteUninstallEntry) entryCommands.Add(EntryCommand(plan.Steps[i].Target));

    TStr logFolder = FolderPart(log);
    for (int i = 0; i < plan.Steps.Count(); i++) {
      TStr subject = StepSubject(plan.Steps[i]);
      TUndoKind kind = plan.Steps[i].Kind;
      const char* action = kind == kUndoUnregister ? "unregistered" : kind == kUndoRestoreFile ? "restored" : "removed";
      SetLastError(0);
      if (RunUndoStep(plan.Steps[i], context.SystemFolder, logFolder, disk, keep)) {
        NoteDone(observer, action, subject);
      } else {
        NoteFailed(observer, action, subject, GetLastError());
        o.NotRemoved.Add(subject);
      }
    }
    CloseHandle(held);
    // The record goes with the log, and only with it: a log that stays keeps
    // the record that lets a second run finish. The log of earlier runs
    // stays as they left it.
    const TStr* last[] = {&log, &record};
    if (keptBytes && !CutLogAndRecord(log, record, keptBytes)) {
      NoteFailed(observer, "uninstall log written", log, GetLastError());
      o.NotRemoved.Add(log);
    }
    for (int i = 0; i < 2 && !keptBytes; i++) {
      SetLastError(0);
      if (DeleteOneFile(*last[i])) {
        NoteDone(observer, "removed", *last[i]);
      } else {
        NoteFailed(observer, "removed", *last[i], GetLastError());
        o.NotRemoved.Add(*last[i]);
        break;
      }
    }
    o.Skipped = plan.Skipped;
    for (int i = 0; i < plan.Skipped.Count(); i++) NoteFailed(observer, "log entry refused", plan.Skipped[i], 0);
    TStr self = RunningProgramPath();
    for (int i = 0; i < entryCommands.Count(); i++) {
      if (NamesProgram(entryCommands[i], self)) {
        o.RemoveOwnFile = fullMode && !AnyEntryUses(self);
        continue;
      }
      // Another entry's uninstaller, in the Windows folder where the install
      // put it, goes once no entry starts it.
      TStr other = UninstallerOfCommand(entryCommands[i]);
      char windows[MAX_PATH];
      UINT n = GetWindowsDirectoryA(windows, sizeof windows);
      if (fullMode && n && n < sizeof windows && UpperAscii(FolderPart(other)) == UpperAscii(WithBackslash(windows)) &&
          FileExists(other) &&
          !AnyEntryUses(other)) {
        if (DeletePlainFile(TStr(), other) == kPathPlain) NoteDone(observer, "removed", other);
        else o.NotRemoved.Add(other);
      }
    }
    o.DoneMessage = ReportText(plan.DoneMessage, o.NotRemoved, o.Skipped);
    RemoveEmptyFolders(FolderPart(log), disk, keep);
  }
  // Without a log nothing is known to be the product's: not even an empty
  // folder is touched.
}

bool UninstallRun(const TStr& logPath, bool fromCommandLine, TRunHost& host, size_t keptBytes) {
  TUninstallOutcome o;
  UninstallFromLog(logPath, fromCommandLine, &o, host, keptBytes);
  if (!o.Refusal.empty()) {
    host.Tell(kNoticeError, o.Refusal, "Error");
    return false;
  }
  if (!o.LogFound || o.NotALog) {
    if (fromCommandLine && !logPath.empty())
      host.Tell(kNoticeWarning, Concat(o.NotALog ? kNotALog : kNoLog, "\r\n", logPath), "Warning");
    return !o.LogFound;
  }
  if (!o.Confirmed) return false;
  bool complete = !o.NotRemoved.Count() && !o.Skipped.Count();
  if (!fromCommandLine) {
    // The rollback has no done message of its own, but what it could not
    // undo must not go unsaid.
    if (!complete) host.Tell(kNoticeWarning, ReportText(TStr(), o.NotRemoved, o.Skipped), "Warning");
    return complete;
  }
  if (o.RemoveOwnFile && StartRemovalHelper(o.DoneMessage)) return complete;
  host.Tell(kNoticeInformation, o.DoneMessage, "Information");
  return complete;
}
