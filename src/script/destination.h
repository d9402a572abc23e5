// Pieces of the destination-folder lookup that need no system calls.
#pragma once
#include "base/str.h"

// The folder of an earlier installation, from its uninstall command line: the
// first double-quoted text, up to its last backslash (kept after a drive
// colon). Empty when there is no quoted text or no backslash in it.
TStr FolderFromUninstallString(const TStr& uninstallString);

// A DefaultPath value: absolute when its second character is ':', otherwise
// below the program files folder.
bool IsAbsoluteDefaultPath(const TStr& defaultPath);
