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
  void Add(TUndoKind stepKind, const TStr& target, bool localMachine = false, const TStr& value = TStr()) {
    TUndoStep step;
    step.Kind = stepKind;
    step.Target = target;
    step.LocalMachine = localMachine;
    step.Value = value;
    plan.Steps.Add(step);
  }
  // [SysFiles], read first: [Register] may name only files placed there.
  TStrList placed;
  static bool CollectName(void* self, int, const TStr& name) {
    static_cast<TReader*>(self)->placed.Add(name);
    return true;
  }
  bool Placed(const TStr& name) const {
    for (int i = 0; i < placed.Count(); i++)
      if (SameTextAscii(placed[i].c_str(), name.c_str())) return true;
    return false;
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
    bool system = r.kind != kUndoDeleteFile;
    if (MayBeCut(name) || !IsContainedName(name))
      r.Skip(entry, name, "not a name inside its folder");
    else if (system && !IsPlainName(name))
      r.Skip(entry, name, "not a plain file name in the system folder");
    else if (r.kind == kUndoUnregister && !r.Placed(name))
      r.Skip(entry, name, "not a system file this installation placed");
    else if (path.size() > kUndoPathMax)
      r.Skip(entry, path, "path too long");
    else if (SameTextAscii(path.c_str(), r.context.LogPath.c_str()))
      ;  // the log goes last, after everything it lists
    else
      r.Add(r.kind, path);
    return true;
  }
  // [Replaced]: the earlier file that an installed one replaced, kept
  // beside it as "<name>.<8 characters>" + kAsideEnding. The aside names the
  // file (a rollback, which reads only its own run's lines, may find no FileN
  // where the log held that name already), in one folder below the log's,
  // and is named as only the install names one, so a rewritten entry can
  // neither move nor delete another file.
  // A rollback gives each back after the deletions of its own run's files.
  // An uninstall finds one only where a run never finished (a finished run
  // deletes them): it comes back before the deletions, so the files the log
  // names go, and the state before that run is what stays.
  void ReadReplaced() {
    base = WithBackslash(FolderPart(context.LogPath));
    section = kLogReplaced;
    word = kLogAsideWord;
    WalkLogList(log, section, word, &TReader::VisitReplaced, this);
  }
  static bool VisitReplaced(void* self, int number, const TStr& aside) {
    TReader& r = *static_cast<TReader*>(self);
    size_t n = aside.size() - (sizeof kAsideEnding + 8);  // ".<8 characters>" + kAsideEnding
    TStr name = aside.substr(0, n), tag = aside.substr(n + 1, 8), kept = r.base + aside;
    if (n > aside.size() || !IsContainedName(name) || !IsPlainName(tag) || kept.size() > kUndoPathMax ||
        !SameTextAscii(Concat(name, ".", tag, kAsideEnding).c_str(), aside.c_str()))
      r.Skip(r.EntryName(number), aside, "not a name the installation keeps a replaced file under");
    else
      r.Add(kUndoRestoreFile, r.base + name, false, kept);
    return true;
  }
  // The product's key: the log names it only when the installation created
  // it. Its values go one by one; the key itself only when nothing else is
  // left in it, which the uninstaller checks on the key itself. An add-on
  // that shares the log names its own key in the list beside it; the value
  // names serve both.
  void ReadProductKey() {
    section = kLogRegistry;
    TStr root = log.Read(kLogRegistry, kLogRoot, "");
    if (!root.empty()) ReadOneProductKey(kLogSection, root, log.Read(kLogRegistry, kLogSection, ""));
    word = kLogKeyWord;
    WalkLogList(log, section, word, &TReader::VisitProductKey, this);
  }
  static bool VisitProductKey(void* self, int number, const TStr& rootAndKey) {
    TReader& r = *static_cast<TReader*>(self);
    size_t slash = rootAndKey.find("\\");
    TStr root = slash == TStr::npos ? TStr() : rootAndKey.substr(0, slash);
    TStr key = LogListKey(kLogKeyWord, number);
    if (root != "LM" && root != "CU") r.Skip(r.EntryName(key.c_str()), rootAndKey, "not a product's own key");
    else r.ReadOneProductKey(key.c_str(), root, rootAndKey.substr(slash + 1));
    r.word = kLogKeyWord;
    return true;
  }
  void ReadOneProductKey(const char* entry, const TStr& root, const TStr& key) {
    if (MayBeCut(key) || !IsProductKeyPath(key)) {
      Skip(EntryName(entry), key, "not a product's own key");
      return;
    }
    productKey = key;
    productRoot = root == "LM";
    word = kLogValueWord;
    int values = WalkLogList(log, section, word, &TReader::VisitValue, this);
    bool defaultValue = ReadLogInteger(log, kLogRegistry, kLogDefaultValue, 0) != 0;
    if (defaultValue) Add(kUndoDeleteProductValue, key, productRoot, TStr());
    if (values == 0 && !defaultValue)
      Skip(EntryName(entry), key, "the log does not say which values are the product's; the key stays");
    else
      Add(kUndoDeleteProductKey, key, productRoot);
  }
  TStr productKey;
  bool productRoot = false;
  static bool VisitValue(void* self, int number, const TStr& name) {
    TReader& r = *static_cast<TReader*>(self);
    if (MayBeCut(name))
      r.Skip(r.EntryName(number), name, "may have been cut");
    else
      r.Add(kUndoDeleteProductValue, r.productKey, r.productRoot, name);
    return true;
  }

  void ReadVerbs() {
    section = kLogExtensions;
    word = kLogPathWord;
    WalkLogList(log, section, word, &TReader::VisitVerb, this);
    word = kLogDefaultWord;
    WalkLogList(log, section, word, &TReader::VisitExtensionDefault, this);
    section = kLogCreated;
    word = kLogKeyWord;
    WalkLogList(log, section, word, &TReader::VisitCreatedKey, this);
  }
  // The type the installation gave an extension goes only while it is still
  // that type; the key itself only when it is one the installation created
  // and nothing is left in it.
  TStrList extensions, extensionTypes;
  static bool VisitExtensionDefault(void* self, int number, const TStr& ext) {
    TReader& r = *static_cast<TReader*>(self);
    TStr type = r.log.Read(kLogExtensions, LogListKey(kLogDefaultTypeWord, number).c_str(), "");
    if (!IsExtensionDefault(ext, type)) {
      r.Skip(r.EntryName(number), Concat(ext, " ", type), "not an extension's type the installation set");
      return true;
    }
    r.Add(kUndoClearExtensionDefault, ext, false, type);
    r.extensions.Add(ext);
    r.extensionTypes.Add(type);
    return true;
  }
  static bool VisitVerb(void* self, int number, const TStr& path) {
    TReader& r = *static_cast<TReader*>(self);
    if (MayBeCut(path) || !IsVerbKeyPath(path))
      r.Skip(r.EntryName(number), path, "not one added verb of a file type");
    else
      r.Add(kUndoDeleteVerb, path);
    return true;
  }
  static bool VisitCreatedKey(void* self, int number, const TStr& key) {
    TReader& r = *static_cast<TReader*>(self);
    if (MayBeCut(key) || !IsCreatedClassKey(key))
      r.Skip(r.EntryName(number), key, "not a file type or extension key of the product");
    else {
      TStr type;
      for (int i = 0; i < r.extensions.Count(); i++)
        if (SameTextAscii(r.extensions[i].c_str(), key.c_str())) type = r.extensionTypes[i];
      r.Add(kUndoDeleteClassKey, key, false, type);
    }
    return true;
  }

  // Shortcuts lie directly in the desktop or programs folders, in the
  // product's program group, or in a folder the installation created for
  // them. The folders they leave empty go with them when the installation
  // created them (RmDir asks no more than that); any other folder stays.
  TStr groupFolder;
  TStrList createdFolders;
  void ReadShortcuts() {
    section = kLogShortcuts;
    word = kLogFolderWord;
    WalkLogList(log, section, word, &TReader::VisitCreatedFolder, this);
    TStr group = log.Read(kLogShortcuts, kLogGroup, "");
    TStr folder = WithBackslash(context.ProgramsFolder) + group;
    bool groupValid = !group.empty() && !context.ProgramsFolder.empty() && !MayBeCut(group) &&
                      IsContainedName(group) && folder.size() <= kUndoPathMax;
    if (groupValid) groupFolder = folder;
    word = kLogLinkWord;
    WalkLogList(log, section, word, &TReader::VisitLink, this);
    if (group.empty()) return;
    if (!groupValid) {
      Skip(EntryName(kLogGroup), group, "not a folder inside the programs folder");
      return;
    }
    KeepUnlessCreated(folder);
    Add(kUndoRemoveEmptyFolders, folder);
  }
  static bool VisitCreatedFolder(void* self, int number, const TStr& folder) {
    TReader& r = *static_cast<TReader*>(self);
    if (MayBeCut(folder) || !IsFullFilePath(folder) || !r.context.ShortcutRoots.HoldsBelow(folder))
      r.Skip(r.EntryName(number), folder, "not a folder below the desktop or programs folder");
    else
      r.createdFolders.Add(folder);
    return true;
  }
  static bool Within(const TStr& folder, const TStr& top) {
    return SameFolder(folder, top) || IsBelowFolder(folder, top);
  }
  bool Created(const TStr& folder) const {
    for (int i = 0; i < createdFolders.Count(); i++)
      if (SameFolder(createdFolders[i], folder)) return true;
    return false;
  }
  bool InCreated(const TStr& folder) const {
    for (int i = 0; i < createdFolders.Count(); i++)
      if (Within(folder, createdFolders[i])) return true;
    return false;
  }
  // Each folder from `folder` up to the desktop or programs folder that the
  // installation did not create stays, and so does everything above it.
  void KeepUnlessCreated(TStr folder) {
    while (folder.size() > 3 && !context.ShortcutRoots.Contains(folder) && context.ShortcutRoots.HoldsBelow(folder)) {
      if (!Created(folder)) {
        for (int i = 0; i < plan.KeptFolders.Count(); i++)
          if (SameFolder(plan.KeptFolders[i], folder)) return;
        plan.KeptFolders.Add(folder);
        return;
      }
      TStr parent = FolderPart(folder);
      folder = parent.substr(0, parent.size() - 1);
    }
  }
  static bool VisitLink(void* self, int number, const TStr& link) {
    TReader& r = *static_cast<TReader*>(self);
    TStr entry = r.EntryName(number);
    if (link.size() > kUndoPathMax) {
      r.Skip(entry, link, "path too long");
      return true;
    }
    TStr folder = FolderPart(link);
    folder = folder.substr(0, folder.size() ? folder.size() - 1 : 0);
    if (!IsFullFilePath(link) || !SameTextAscii(link.substr(link.size() - 4).c_str(), ".lnk") ||
        !(r.context.ShortcutRoots.Contains(folder) || (!r.groupFolder.empty() && Within(folder, r.groupFolder)) ||
          r.InCreated(folder))) {
      r.Skip(entry, link, "not a shortcut in the desktop or programs folder or a group of the product's");
      return true;
    }
    TStr rmDirKey = LogListKey(kLogRmDirWord, number);
    if (ReadLogInteger(r.log, kLogShortcuts, rmDirKey.c_str(), 0) != 0 && !r.Created(folder))
      r.Skip(r.EntryName(rmDirKey.c_str()), folder,
             "not a folder this installation created; only the shortcut is removed");
    r.KeepUnlessCreated(folder);
    r.Add(kUndoDeleteShortcut, link);
    return true;
  }

  void AddUninstallEntry(const char* key, const TStr& name) {
    if (MayBeCut(name) || !IsUninstallEntryName(name))
      Skip(EntryName(key), name, "not the name of one uninstall entry");
    else
      Add(kUndoDeleteUninstallEntry, name);
  }
  static bool VisitEntry(void* self, int number, const TStr& name) {
    TReader& r = *static_cast<TReader*>(self);
    r.AddUninstallEntry(LogListKey(kLogEntryWord, number).c_str(), name);
    return true;
  }
  // The product's entry, and those of add-ons that share its log.
  void ReadUninstallEntry() {
    section = kLogUninstall;
    TStr name = log.Read(kLogUninstall, kLogSectionName, "");
    if (!name.empty()) AddUninstallEntry(kLogSectionName, name);
    WalkLogList(log, section, kLogEntryWord, &TReader::VisitEntry, this);
  }

  void KeepAboveCreatedDestination() {
    static const char kAbsent[] = "\x01";
    TStr logFolder = FolderPart(context.LogPath);
    logFolder = logFolder.substr(0, logFolder.size() - 1);
    TStr created = log.Read(kLogGeneral, kLogCreatedFolder, kAbsent);
    if (created == kAbsent) {
      plan.KeptFolders.Add(FolderPart(logFolder));
    } else if (!created.empty() && !MayBeCut(created) && IsFullFilePath(created) && Within(logFolder, created)) {
      plan.KeptFolders.Add(FolderPart(created));
    } else {
      if (!created.empty()) {
        section = kLogGeneral;
        Skip(EntryName(kLogCreatedFolder), created, "not a folder on the way to the log");
      }
      plan.KeptFolders.Add(logFolder);
    }
  }
};

}  // namespace

TKeyRole ClassKeyRole(const TUndoStep& step) {
  if (step.Kind == kUndoDeleteVerb) return kKeyAddedVerb;
  if (!step.Value.empty()) return kKeyEmptied;
  return step.Target.size() && step.Target[0] == '.' ? kKeyExtension : kKeyFileType;
}

void ReadUndoPlan(const TLogStore& log, const TUndoContext& context, TUndoPlan* plan) {
  plan->Question = log.Read(kLogGeneral, kLogMessageString, "");
  plan->DoneMessage = log.Read(kLogGeneral, kLogOKString, kDefaultDoneMessage);
  TReader r(log, context, *plan);
  r.KeepAboveCreatedDestination();
  WalkLogList(log, kLogSysFiles, kLogFileWord, &TReader::CollectName, &r);
  if (context.FullMode) r.ReadReplaced();
  r.ReadNames(kLogFiles, FolderPart(context.LogPath), kUndoDeleteFile);
  if (!context.FullMode) r.ReadReplaced();
  r.ReadNames(kLogRegister, context.SystemFolder, kUndoUnregister);
  r.ReadNames(kLogSysFiles, context.SystemFolder, kUndoDeleteSysFile);
  r.ReadProductKey();
  r.ReadVerbs();
  r.ReadShortcuts();
  if (context.FullMode) r.ReadUninstallEntry();
}
