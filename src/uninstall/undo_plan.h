// The uninstall log read into the ordered steps that undo the installation.
// Every value is checked as it is read (log_checks.h); an entry that fails a
// check becomes a report line instead of a step, so the uninstaller never acts
// on it and can still tell the user what it left alone.
//
// The order is fixed: the installed files first, then (in a rollback) the
// files they replaced are given back their names; then the unregistration,
// while the system files are still there; the system files; the product's
// registry values and then its key; the added association verbs, the type
// the installation gave extensions (while still theirs) and the class keys
// it created; the shortcuts and the program group;
// in a full uninstall the uninstall entry. The log itself and the folders
// left empty come after all of these and are the uninstall run's own
// business.
//
// Even a genuine log is taken only for what the installation made: system
// files by plain name, [Register] only for files the same log lists as
// placed, registry keys and shortcut folders only when nothing but the
// product's own is left in them, folders only up to the one the
// installation created.
#pragma once
#include "base/str.h"
#include "base/str_list.h"
#include "uninstall/folder_walk.h"
#include "uninstall/log_checks.h"
#include "uninstall/uninstall_log.h"

enum TUndoKind {
  kUndoDeleteFile,            // an installed file; then the folders left empty
  kUndoRestoreFile,           // rollback: `Value`, the file kept aside, gets its name `Target` back
  kUndoUnregister,            // a registered system file, unregistered by the system's tool
  kUndoDeleteSysFile,         // a system file; its folder stays
  kUndoDeleteProductValue,    // a value the installation wrote into the product's key
  kUndoDeleteProductKey,      // the product's key, below the root `LocalMachine` names, when empty
  kUndoDeleteVerb,            // an added verb below HKEY_CLASSES_ROOT, when it holds only ours
  kUndoDeleteClassKey,        // a created extension or type key, when it holds only ours
  kUndoClearExtensionDefault,  // an extension's default value, while it names the type in Value; the key stays
  kUndoDeleteShortcut,        // a shortcut file; then the folders left empty
  kUndoRemoveEmptyFolders,    // the program group, when it is empty, and its empty parents
  kUndoDeleteUninstallEntry,  // the uninstall entry's key below ...\Uninstall
};

struct TUndoStep {
  TUndoKind Kind = kUndoDeleteFile;
  // A full file or folder path, or a registry key path.
  TStr Target;
  // kUndoDeleteProductKey: HKEY_LOCAL_MACHINE (Root "LM", compared with
  // exact case) or HKEY_CURRENT_USER (anything else).
  bool LocalMachine = false;
  // kUndoDeleteProductValue: the value's name, empty for the default value.
  // kUndoClearExtensionDefault: the type the installation set.
  // kUndoDeleteClassKey of an extension with such a step (which comes
  // first): that type; the key then goes only when nothing is left in it.
  // kUndoRestoreFile: the full path of the file kept aside.
  TStr Value;
};

// What the reader needs to know of the machine it runs on.
struct TUndoContext {
  // The log's full path; its folder is the base of the [Files] names.
  TStr LogPath;
  // The system folder, with or without a trailing backslash.
  TStr SystemFolder;
  // The folders shortcuts may live in (the desktop and programs folders);
  // a Link outside them is refused.
  TFolderSet ShortcutRoots;
  // The programs folder the [Shortcuts] Group lives in.
  TStr ProgramsFolder;
  // Full uninstall (true) or the rollback of a cancelled install (false).
  bool FullMode = true;
};

class TUndoSteps {
public:
  TUndoSteps() {}
  ~TUndoSteps();
  TUndoSteps(const TUndoSteps&) = delete;
  TUndoSteps& operator=(const TUndoSteps&) = delete;
  void Add(const TUndoStep& step);
  int Count() const { return count_; }
  const TUndoStep& operator[](int i) const { return items_[i]; }

private:
  TUndoStep* items_ = nullptr;
  int count_ = 0;
  int cap_ = 0;
};

struct TUndoPlan {
  // [General] MessageString: the question asked before anything is removed.
  TStr Question;
  // [General] OKString; "Uninstall complete." only when the key is absent.
  TStr DoneMessage;
  TUndoSteps Steps;
  // One line per log entry that was refused: which entry ("Files File3"),
  // its value, why.
  TStrList Skipped;
  // Folders the walks that remove empty folders neither remove nor climb
  // past. First the parent of the highest folder the installation created
  // for its destination ([General] CreatedFolder; the log's own folder when
  // it created none; the parent of the log's folder for a log of an earlier
  // version, which does not say); then each folder on the way to a shortcut
  // that the installation did not create ([Shortcuts] FolderN).
  TStrList KeptFolders;
};

extern const char kDefaultDoneMessage[];  // "Uninstall complete."

// Which role a class key step's target has (kKeyAddedVerb for a verb,
// kKeyEmptied for an extension whose type has a step of its own).
TKeyRole ClassKeyRole(const TUndoStep& step);

void ReadUndoPlan(const TLogStore& log, const TUndoContext& context, TUndoPlan* plan);
