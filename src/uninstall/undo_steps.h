// The Windows side of the undo steps: each removes one thing and says
// whether it is gone. Something that is already gone counts as removed, so a
// second or partial uninstall finishes cleanly.
#pragma once
#include "base/str.h"
#include "uninstall/folder_walk.h"
#include "uninstall/undo_plan.h"

// The system's list of installed programs, below HKEY_LOCAL_MACHINE: one
// key per uninstall entry.
inline constexpr char kUninstallListKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The folders shortcuts may live in, and the well-known folders the empty
// folder walk and the RmDir entries leave alone, as this machine reports
// them now.
void AddShortcutRoots(TFolderSet& roots, TStr* programsFolder);
void AddWellKnownFolders(TFolderSet& keep);

// TFolderOps over the file system: a link to a folder is never removed.
class TDiskFolders : public TFolderOps {
public:
  bool FolderExists(const TStr& folder) override;
  bool RemoveEmptyFolder(const TStr& folder) override;
};

// A file, with its read-only bit cleared first (and set again when the file
// stays). A folder of that name is not a file and stays. Neither a link at
// the file's name nor one at a folder between `below` (a folder, or empty)
// and the file is followed: the run refuses it (ERROR_CANT_ACCESS_FILE) and
// what it points at stays.
bool DeleteOneFile(const TStr& path, const TStr& below = TStr());
// A folder with everything in it; a link to another folder inside it is
// removed as a link, never followed.
bool DeleteFolderTree(const TStr& folder);
// A registry key with everything below it.
bool DeleteKeyTree(void* root, const TStr& keyPath);

// Carries out one step; false when what it names is still there afterwards.
// Files below the log's folder are deleted only through plain folders.
bool RunUndoStep(const TUndoStep& step, const TStr& systemFolder, const TStr& logFolder, TDiskFolders& disk,
                 const TFolderSet& keep);
