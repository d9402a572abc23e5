#include "uninstall/undo_plan.h"

#include "uninstall/log_checks.h"

#include <new>
#include <stdlib.h>

const char kDefaultDoneMessage[] = "Uninstall complete.";

TUndoSteps::~TUndoSteps() {
  for (int i = 0; i < count_; i++) items_[i].~TUndoStep();
  free(items_);
}

void TUndoSteps::Add(const TUndoStep& step) {
  if (count_ == cap_) {
    int cap = cap_ ? cap_ * 2 : 16;
    // Grown in place: a step's text owns only a heap pointer, so its bytes
    // may move without running any constructor.
    void* grown = realloc(static_cast<void*>(items_), sizeof(TUndoStep) * cap);
    if (!grown) abort();
    items_ = static_cast<TUndoStep*>(grown);
    cap_ = cap;
  }
  new (&items_[count_]) TUndoStep(step);
  ++count_;
}

namespace {

struct TReader {
  TReader(const TLogStore& l, const TUndoContext& c, TUndoPlan& p) : log(l), context(c), plan(p) {}
  const TLogStore& log;
  const TUndoContext& context;
  TUndoPlan& plan;
  // The list being walked: its section, key word, and for lists of names
  // the folder they are relative to (with backslash) and what becomes of
  // each.
  const char* section = nullptr;
  const char* word = nullptr;
  TStr base;
  TUndoKind kind = kUndoDeleteFile;

  TStr EntryName(const char* key) const { return Concat(section, " ", key); }
  TStr EntryName(int number) const { return EntryName(LogListKey(word, number).c_str()); }

  void Skip(const TStr& entry, const TStr& value, const char* why) {
    plan.Skipped.Add(Concat(entry, " (", value, "): ", why));
  }
  void Add(TUndoKind stepKind, const TStr& target, bool localMachine = false) {
    TUndoStep step;
    step.Kind = stepKind;
    step.Target = target;
    step.LocalMachine = localMachine;
    plan.Steps.Add(step);
  }
  // A numbered list of names relative to `base`.
  void ReadNames(const char* listSection, const TStr& listBase, TUndoKind listKind) {
    kind = listKind;
    section = listSection;
    word = kLogFileWord;
    base = WithBackslash(listBase);
    WalkLogList(log, section, word, &TReader::VisitName, this);
  }
  static bool VisitName(void* self, int number, const TStr& name) {
    TReader& r = *static_cast<TReader*>(self);
    TStr entry = r.EntryName(number);
    TStr path = r.base + name;
    if (MayBeCut(name) || !IsContainedName(name))
      r.Skip(entry, name, "not a name inside its folder");
    else if (path.size() > kUndoPathMax)
      r.Skip(entry, path, "path too long");
    else if (SameTextAscii(path.c_str(), r.context.LogPath.c_str()))
      ;  // the log goes last, after everything it lists
    else
      r.Add(r.kind, path);
    return true;
  }
  void ReadProductKey() {
    TStr root = log.Read(kLogRegistry, kLogRoot, "");
    if (root.empty()) return;
    TStr key = log.Read(kLogRegistry, kLogSection, "");
    section = kLogRegistry;
    if (MayBeCut(key) || !IsProductKeyPath(key))
      Skip(EntryName(kLogSection), key, "not a product's own key");
    else
      Add(kUndoDeleteProductKey, key, root == "LM");
  }

  void ReadVerbs() {
    section = kLogExtensions;
    word = kLogPathWord;
    WalkLogList(log, section, word, &TReader::VisitVerb, this);
    section = kLogCreated;
    word = kLogKeyWord;
    WalkLogList(log, section, word, &TReader::VisitCreatedKey, this);
  }
  static bool VisitVerb(void* self, int number, const TStr& path) {
    TReader& r = *static_cast<TReader*>(self);
    if (MayBeCut(path) || !IsVerbKeyPath(path))
      r.Skip(r.EntryName(number), path, "not one added verb of a file type");
    else
      r.Add(kUndoDeleteClassKey, path);
    return true;
  }
  static bool VisitCreatedKey(void* self, int number, const TStr& key) {
    TReader& r = *static_cast<TReader*>(self);
    if (MayBeCut(key) || !IsCreatedClassKey(key))
      r.Skip(r.EntryName(number), key, "not a file type or extension key of the product");
    else
      r.Add(kUndoDeleteClassKey, key);
    return true;
  }

  void ReadShortcuts() {
    section = kLogShortcuts;
    word = kLogLinkWord;
    WalkLogList(log, section, word, &TReader::VisitLink, this);
    TStr group = log.Read(kLogShortcuts, kLogGroup, "");
    if (group.empty()) return;
    TStr folder = WithBackslash(context.ProgramsFolder) + group;
    if (context.ProgramsFolder.empty() || MayBeCut(group) || !IsContainedName(group))
      Skip(EntryName(kLogGroup), group, "not a folder inside the programs folder");
    else if (folder.size() > kUndoPathMax)
      Skip(EntryName(kLogGroup), folder, "path too long");
    else
      Add(kUndoRemoveEmptyFolders, folder);
  }
  static bool VisitLink(void* self, int number, const TStr& link) {
    TReader& r = *static_cast<TReader*>(self);
    TStr entry = r.EntryName(number);
    if (link.size() > kUndoPathMax) {
      r.Skip(entry, link, "path too long");
      return true;
    }
    if (!IsFullFilePath(link) || !r.context.ShortcutRoots.HoldsBelow(link) ||
        !SameTextAscii(link.substr(link.size() - 4).c_str(), ".lnk")) {
      r.Skip(entry, link, "not a shortcut in the desktop or programs folders");
      return true;
    }
    TStr rmDirKey = LogListKey(kLogRmDirWord, number);
    if (ReadLogInteger(r.log, kLogShortcuts, rmDirKey.c_str(), 0) != 0) {
      TStr folder = FolderPart(link);
      folder = folder.substr(0, folder.size() - 1);
      // The whole folder goes only when it is a group of its own: never the
      // desktop or programs folder itself, nor any other well-known folder.
      if (r.context.ShortcutRoots.HoldsBelow(folder) &&
          !(r.context.Keep && r.context.Keep->Contains(folder))) {
        r.Add(kUndoDeleteShortcutFolder, folder);
        return true;
      }
      r.Skip(r.EntryName(rmDirKey.c_str()), folder,
             "the folder is not the product's own; only the shortcut is removed");
    }
    r.Add(kUndoDeleteShortcut, link);
    return true;
  }

  void ReadUninstallEntry() {
    section = kLogUninstall;
    TStr name = log.Read(kLogUninstall, kLogSectionName, "");
    if (name.empty()) return;
    if (MayBeCut(name) || !IsUninstallEntryName(name))
      Skip(EntryName(kLogSectionName), name, "not the name of one uninstall entry");
    else
      Add(kUndoDeleteUninstallEntry, name);
  }
};

}  // namespace

void ReadUndoPlan(const TLogStore& log, const TUndoContext& context, TUndoPlan* plan) {
  plan->Question = log.Read(kLogGeneral, kLogMessageString, "");
  plan->DoneMessage = log.Read(kLogGeneral, kLogOKString, kDefaultDoneMessage);
  TReader r(log, context, *plan);
  r.ReadNames(kLogFiles, FolderPart(context.LogPath), kUndoDeleteFile);
  r.ReadNames(kLogRegister, context.SystemFolder, kUndoUnregister);
  r.ReadNames(kLogSysFiles, context.SystemFolder, kUndoDeleteSysFile);
  r.ReadProductKey();
  r.ReadVerbs();
  r.ReadShortcuts();
  if (context.FullMode) r.ReadUninstallEntry();
}
