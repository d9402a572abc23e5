// The folders an install accepts: its destination and its program group.
// The wizard, the unattended install and the install run all ask these, so a
// folder one accepts is never refused by another after the user confirmed.
#pragma once
#include "base/str.h"

// A destination the install can use: a drive letter, a colon and a backslash,
// or a share (\\server\share), followed by at least one folder name; no
// characters a file name cannot hold, no "." or ".." parts, no empty parts
// inside. A bare drive or share root is refused: the uninstall removes the
// product's folder when it is empty, and a root is nobody's product folder.
bool IsFullFolderPath(const TStr& folder);

// The root whose free space counts for `folder`: "C:\" or "\\server\share\";
// empty when the folder is not absolute.
TStr DestinationRoot(const TStr& folder);

// A program-group name: empty (the programs folder itself) or one or more
// names below the programs folder; no drive, no leading separator, no "." or
// ".." part, no characters a file name cannot hold.
bool IsAcceptableGroupName(const TStr& group);
