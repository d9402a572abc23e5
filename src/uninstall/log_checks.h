// What a value read from the uninstall log must look like before the
// uninstaller acts on it. The log is a text file anyone can edit; each rule
// keeps an entry from naming something the installation did not make.
#pragma once
#include "base/str.h"
#include "base/str_list.h"

// Paths handed to the platform's delete operations have at most this many
// characters; a longer one is refused whole, because a cut path can name a
// different file.
const size_t kUndoPathMax = 255;

// A name relative to a folder that stays inside it: not empty, no drive, no
// leading separator, no "." or ".." step, no empty step, no character a file
// name cannot hold.
bool IsContainedName(const TStr& name);

// A name directly inside its folder: IsContainedName, and no separator at
// all (a system file the installation placed is never in a subfolder).
bool IsPlainName(const TStr& name);

// A full path of a file: a drive or a share, then names that IsContainedName
// accepts, at most kUndoPathMax characters.
bool IsFullFilePath(const TStr& path);

// A key path below a registry root that names a product's own key: steps
// separated by single backslashes, none empty, neither Software itself nor
// one of the system's own trees or a key below them (Software\Microsoft,
// Software\Classes, Software\Policies, System, Control Panel, ...).
bool IsProductKeyPath(const TStr& keyPath);

// An added verb below HKEY_CLASSES_ROOT: exactly type\shell\verb, no step
// empty ("type\shell" alone would name every verb of the type), the type not
// one of the system's own (exefile, Directory, CLSID, ...) and the verb not
// one of the shell's standard ones (open, edit, print, ...): those are a
// type's own actions, never a verb an installation adds beside them.
bool IsVerbKeyPath(const TStr& keyPath);

// A key below HKEY_CLASSES_ROOT that an installation created whole: one step,
// an extension or a file type, not one of the system's own or of the types
// every system has (txtfile, htmlfile, http, .txt, ...).
bool IsCreatedClassKey(const TStr& keyName);

// An extension key below HKEY_CLASSES_ROOT whose default value an
// installation set to `type`: the extension one step beginning with a dot
// that IsCreatedClassKey accepts (never the system's own), the type one
// step, no extension.
bool IsExtensionDefault(const TStr& ext, const TStr& type);

// What is in a registry key, as the uninstaller lists it before it removes
// the key whole: "sub\" for each key below it (at any depth, its path
// relative to the key), "sub|name" for each value ("|" is the key's own
// default value, "command|" the default value of its subkey command).
// Which role a key has decides what the installation may have put there.
enum TKeyRole {
  kKeyAddedVerb,   // type\shell\verb: its command and the command line
  kKeyExtension,   // .ext: the name of its file type
  kKeyFileType,    // a type: its description, icon and open command
  kKeyEmptied,     // the product key once its values are gone: nothing
};
// True when `content` holds nothing but what the installation writes into a
// key of that role; anything else is another program's or the user's, and
// keeps the key.
bool HoldsOnlyWhatSetupWrites(TKeyRole role, const TStrList& content);

// The name of an uninstall entry's key below ...\Uninstall: one step, not
// empty (an empty one would name the list of every installed program).
bool IsUninstallEntryName(const TStr& name);

// True when `value` may have been cut by the profile functions, which return
// at most that many characters.
bool MayBeCut(const TStr& value);
