// Files and folders this run creates in a folder other programs can write to
// (the temporary folder), and holds open while it uses them so that nothing
// can change, replace or delete them meanwhile. Nothing here follows a link:
// an entry is created new or not at all, and removed only when it is still
// the very entry this run created.
#pragma once
#include "base/str.h"

struct THeldEntry {
  TStr Path;
  // The open hold (a system handle), or null. A file is held for reading
  // only, sharing only reading: no other program can write, delete or rename
  // it, and readers (the profile functions, the loader) still can. A folder
  // is held without delete sharing, so it cannot be renamed or replaced.
  void* Hold = nullptr;
  // The file system's identity of the entry, to know it again at removal.
  unsigned Volume = 0, IndexHigh = 0, IndexLow = 0;
  bool Created = false;  // this run created it
};

enum TPlaceResult {
  kPlaced,      // created, written, checked and held
  kNameTaken,   // something this run did not create has the name: left alone
  kPlaceFailed,   // the file could not be created or written
  kPlaceTampered  // another program replaced or changed it before it was held
};

// Creates `path` as a new file holding `size` bytes of `data`. A link that
// has the name is removed (as a link) first; any other entry is kNameTaken.
// After writing, the file is held and read back through the hold: a file
// that another program replaced or changed in between is kPlaceTampered.
// *systemError receives the system's error for kPlaceFailed. Whatever fails,
// no file of this run is left behind.
TPlaceResult PlaceHeldFile(const TStr& path, const char* data, size_t size, THeldEntry* file,
                           unsigned* systemError);

// Holds the existing folder `path` (creating it first when `create` is set
// and it is missing). False when it is missing, is not a folder, or is a
// reparse point (a link or junction), which is never used.
bool HoldFolder(const TStr& path, bool create, THeldEntry* folder);

// Creates a new folder with a name of its own beginning with `prefix` (a
// path) and holds it.
bool CreateUniqueFolder(const TStr& prefix, THeldEntry* folder);

// Closes the hold; the entry stays.
void ReleaseHold(THeldEntry* entry);

// Closes the hold and, when this run created the entry, deletes it if it is
// still the same entry (a folder only when empty). Never through a link.
void RemoveHeldEntry(THeldEntry* entry);
