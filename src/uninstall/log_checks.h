// What a value read from the uninstall log must look like before the
// uninstaller acts on it. The log is a text file anyone can edit; each rule
// keeps an entry from naming something the installation did not make.
#pragma once
#include "base/str.h"

// Paths handed to the platform's delete operations have at most this many
// characters; a longer one is refused whole, because a cut path can name a
// different file.
const size_t kUndoPathMax = 255;

// A name relative to a folder that stays inside it: not empty, no drive, no
// leading separator, no "." or ".." step, no empty step, no character a file
// name cannot hold.
bool IsContainedName(const TStr& name);

// A full path of a file: a drive or a share, then names that IsContainedName
// accepts, at most kUndoPathMax characters.
bool IsFullFilePath(const TStr& path);

// A key path below a registry root that names a product's own key: steps
// separated by single backslashes, none empty, not one of the system's
// well-known keys (Software, Software\Microsoft, System, ...).
bool IsProductKeyPath(const TStr& keyPath);

// An added verb below HKEY_CLASSES_ROOT: exactly type\shell\verb, no step
// empty ("type\shell" alone would name every verb of the type), and the type
// not one of the system's own (exefile, Directory, CLSID, ...).
bool IsVerbKeyPath(const TStr& keyPath);

// A key below HKEY_CLASSES_ROOT that an installation created whole: one step,
// an extension or a file type, not one of the system's own.
bool IsCreatedClassKey(const TStr& keyName);

// The name of an uninstall entry's key below ...\Uninstall: one step, not
// empty (an empty one would name the list of every installed program).
bool IsUninstallEntryName(const TStr& name);

// True when `value` may have been cut by the profile functions, which return
// at most that many characters.
bool MayBeCut(const TStr& value);
