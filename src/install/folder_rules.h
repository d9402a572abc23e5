// What the wizard accepts from the user before it lets the install start.
#pragma once
#include "base/str.h"

// The e-mail check is the registration's own (register/registration_form.h).
// A destination the install can use: a drive letter, a colon and a backslash,
// or a share (\\server\share), followed by at least one folder name; no
// characters a file name cannot hold, no "." or ".." parts, no empty parts
// inside. A bare drive or share root is refused: the uninstall removes the
// product's folder when it is empty, and a root is nobody's product folder.
bool IsAbsoluteFolder(const TStr& folder);

// The root whose free space counts for `folder`: "C:\" or "\\server\share\";
// empty when the folder is not absolute.
TStr DestinationRoot(const TStr& folder);

// A program-group name: empty (the programs folder itself) or one or more
// names below the programs folder; no drive, no leading separator, no "." or
// ".." part, no characters a file name cannot hold.
bool IsAcceptableGroupName(const TStr& group);

// A text for a multi-line edit field, which breaks lines only at CR LF: a
// lone LF (a text written on another system) becomes CR LF too.
TStr WithCrLf(const TStr& text);
