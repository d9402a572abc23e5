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
// stays). A folder of that name is not a file and stays.
bool DeleteOneFile(const TStr& path);
// A folder with everything in it; a link to another folder inside it is
// removed as a link, never followed.
bool DeleteFolderTree(const TStr& folder);
// A registry key with everything below it.
bool DeleteKeyTree(void* root, const TStr& keyPath);

// Carries out one step; false when what it names is still there afterwards.
bool RunUndoStep(const TUndoStep& step, const TStr& systemFolder, TDiskFolders& disk,
                 const TFolderSet& keep);
