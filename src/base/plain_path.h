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
  // Read and write, opened empty: created new when missing (a dangling link
  // at the name makes that fail), emptied when there. Refused when the file
  // has more than one name.
  kPlainWrite,
  // Appending, created new when missing, kept as it is when there. Refused
  // like kPlainWrite.
  kPlainAppend,
  // Reading an existing file, held: nothing else can write, rename or
  // delete it while the handle is open.
  kPlainRead,
  // Deletion, with the attributes readable and writable (a read-only file's
  // bit is cleared through the handle before it goes).
  kPlainDelete,
  // Reading, then deletion through the same handle: what was read is what
  // goes.
  kPlainReadThenDelete
};

class TPlainFolders {
public:
  TPlainFolders() {}
  TPlainFolders(const TPlainFolders&) = delete;
  TPlainFolders& operator=(const TPlainFolders&) = delete;
  ~TPlainFolders() { Release(); }

  // Enters `folder`, which is `root` or a folder below it. The root is trusted
  // and only held; each level below it must be a plain folder (create: a
  // missing one is made first). The levels the previous Enter held and the
  // new folder shares stay held and are not checked again.
  TPlainResult Enter(const TStr& root, const TStr& folder, bool create);
  // Opens the file `name` of the entered folder. *handle is a system handle
  // the caller closes; shared for reading only, so nothing else can write,
  // rename or delete the file while it is open.
  TPlainResult Open(const TStr& name, TPlainAccess access, void** handle);
  // Lets go of every held folder.
  void Release();

  const TStr& Refused() const { return refused_; }
  unsigned SystemError() const { return systemError_; }

private:
  static const int kMaxLevels = 64;
  TPlainResult Fail(TPlainResult result, const TStr& path, unsigned systemError);
  TPlainResult EnterLevel(const TStr& path, bool create);
  TStr paths_[kMaxLevels];   // held levels, root first, each with a trailing backslash
  TStr finals_[kMaxLevels];  // their final paths (empty where the system cannot say)
  void* holds_[kMaxLevels] = {};
  int count_ = 0;
  TStr refused_;
  unsigned systemError_ = 0;
};

// Deletes the file a handle (opened with DELETE access) has open, whatever
// name it has now, by its delete disposition; the name goes when the last
// handle closes. A read-only bit is cleared first (the handle then needs
// FILE_WRITE_ATTRIBUTES).
bool DeleteThroughHandle(void* handle);

// Sets a file's attributes through a handle with FILE_WRITE_ATTRIBUTES (0
// means FILE_ATTRIBUTE_NORMAL).
bool SetAttributesThroughHandle(void* handle, unsigned attributes);

// Deletes the file `path` below `root` (a folder, or empty: only the file
// itself is checked) through a handle that follows no link: a link at the
// file's name or at one of its folders below `root` is refused (kPathLinked)
// and nothing is deleted. A missing file is kPathMissing.
TPlainResult DeletePlainFile(const TStr& root, const TStr& path, TStr* refused, unsigned* systemError);
