// Removing the folders an uninstall leaves empty, with the rules that keep the
// walk to the product's own folders: it removes only empty folders, stops at
// the first folder it cannot remove, never goes past a drive or share root and
// never touches a well-known folder of the system (the Windows and system
// folders, the desktop, the programs menu, the profile folders and the like).
#pragma once
#include "base/str.h"
#include "base/str_list.h"

// What the walk asks of the file system.
class TFolderOps {
public:
  virtual ~TFolderOps() {}
  virtual bool FolderExists(const TStr& folder) = 0;
  // Removes `folder` only when it is empty (and is a real folder, not a link
  // to one); false otherwise.
  virtual bool RemoveEmptyFolder(const TStr& folder) = 0;
};

// A set of folders: the well-known folders the walk never removes and never
// climbs past, or the folders shortcuts may live in. Paths are compared
// without regard to ASCII letter case and to a trailing backslash.
class TFolderSet {
public:
  // Empty paths are ignored, so callers may add whatever the system reports.
  void Add(const TStr& folder);
  bool Contains(const TStr& folder) const;
  // True when `path` lies strictly below one of the folders.
  bool HoldsBelow(const TStr& path) const;

private:
  TStrList folders_;
};

// The same folder: ASCII letter case and one trailing backslash aside.
bool SameFolder(const TStr& a, const TStr& b);
// True when `path` lies strictly below `folder` (a deeper path whose next
// character after the folder is a backslash).
bool IsBelowFolder(const TStr& path, const TStr& folder);
// True when a step of `path` is "." or ".." or only dots and blanks (which
// the system shortens to one of those): such a path names another place
// than its text says.
bool HasDotStep(const TStr& path);
// A drive ("C:" or "C:\"), a share ("\\server", "\\server\share") or anything
// the walk must treat as the top: a path with one character or none, a
// device path ("\\?\", "\\.\"), or a path that is not absolute.
bool IsWalkTop(const TStr& folder);

// Removes `folder` when it is empty, then each parent in turn. Folders that do
// not exist are passed over; the walk stops at the first existing folder it
// cannot remove, at a protected folder and at the top (IsWalkTop). Returns the
// number of folders removed.
int RemoveEmptyFolders(const TStr& folder, TFolderOps& ops, const TFolderSet& keep);
