// Writing and deleting below a folder without going through a link. The
// install writes into, and the uninstall deletes from, folders that other
// users may be able to change: a junction or symbolic link (a reparse point)
// planted there, or a second name (a hard link) given to another file, would
// otherwise turn the run's write or delete against that other file.
//
// Each folder below the trusted root is checked and then held without delete
// sharing, so it cannot be renamed or replaced while it is entered; the file
// itself is opened without following a link and checked through the handle
// that is then used. Where the file system follows a link even so (Wine shows
// a Unix link to a file as a plain file and opens what it points at), the
// handle's final path tells: it must be its folder's final path and its own
// name.
#pragma once
#include "base/str.h"

enum TPlainResult {
  kPathPlain,    // entered, or opened
  kPathMissing,  // a level or the file is not there (and was not to be made)
  kPathLinked,   // a link or a second name: refused, Refused() names it
  kPathFailed    // the system failed: SystemError() says why, Refused() names the path
};

enum TPlainAccess {
  // Read and write, always a new file: a file that is there is checked and
  // deleted through its handle first, and the new one is created new, so a
  // link (a dangling one too) or a second name is never written through.
  kPlainWrite,
  // Deletion, with the attributes readable and writable (a read-only file's
  // bit is cleared through the handle before it goes).
  kPlainDelete,
  // Deletion access as kPlainDelete, for a file that is to be renamed
  // (Rename): a second name is refused too, as the renamed file would still
  // be another's under that name.
  kPlainRename
};

class TPlainFolders {
public:
  TPlainFolders() {}
  TPlainFolders(const TPlainFolders&) = delete;
  TPlainFolders& operator=(const TPlainFolders&) = delete;
  ~TPlainFolders() { Release(); }

  // Enters `folder`, which is `root` or a folder below it. The root is trusted
  // and only held; each level below it must be a plain folder (create: a
  // missing one is made first). Entering the folder entered last again
  // keeps its levels held as they are.
  TPlainResult Enter(const TStr& root, const TStr& folder, bool create);
  // Opens the file `name` of the folder entered last (with success).
  // *handle is a system handle the caller closes; shared for reading only,
  // so nothing else can write, rename or delete the file while it is open.
  TPlainResult Open(const TStr& name, TPlainAccess access, void** handle);
  // Gives the file `handle` has open (kPlainRename, in the folder entered
  // last) the bare name `newName` in that same folder, through the held
  // folder's handle, so no link on the way is followed. A name that is taken
  // is never replaced (ERROR_ALREADY_EXISTS).
  bool Rename(void* handle, const TStr& newName);
  // Lets go of every held folder.
  void Release();

  const TStr& Refused() const { return refused_; }
  unsigned SystemError() const { return systemError_; }

private:
  static const int kMaxLevels = 64;
  TPlainResult Fail(TPlainResult result, const TStr& path);
  TStr path_;                // the entered folder, with its trailing backslash
  void* holds_[kMaxLevels];  // the held levels, root first
  size_t ends_[kMaxLevels];  // the length of each level's path in path_
  int count_ = 0;
  TStr refused_;
  unsigned systemError_ = 0;
};

// Whether an open file or folder (`folder`) is the plain entry `path` names:
// no link, for oneName no second name, and reached at that very name, not
// through a link the file system followed. kPathFailed with the system's
// error set when it cannot say or the entry is of the other kind.
TPlainResult CheckPlainEntry(void* handle, const char* path, bool folder, bool oneName);

// Deletes the file a handle (opened with DELETE access) has open, whatever
// name it has now, by its delete disposition; the name goes when the last
// handle closes. A read-only bit is cleared first (the handle then needs
// FILE_WRITE_ATTRIBUTES).
bool DeleteThroughHandle(void* handle);

// Renames the file a handle (opened with DELETE access) has open to the bare
// name `name` (`length` UTF-16 characters) in the folder `folder` (a handle)
// has open; a name that is taken is not replaced.
bool RenameThroughHandle(void* handle, void* folder, const wchar_t* name, unsigned length);

// Sets a file's attributes through a handle with FILE_WRITE_ATTRIBUTES (0
// means FILE_ATTRIBUTE_NORMAL).
bool SetAttributesThroughHandle(void* handle, unsigned attributes);

// Deletes the file `path` below `root` (a folder, or empty: only the file
// itself is checked) through a handle that follows no link: a link at the
// file's name or at one of its folders below `root` is refused (kPathLinked)
// and nothing is deleted. A missing file is kPathMissing. The system's error
// says why (ERROR_CANT_ACCESS_FILE for a link).
TPlainResult DeletePlainFile(const TStr& root, const TStr& path);
