// Pieces of the destination-folder lookup that need no system calls.
#pragma once
#include "base/str.h"

// The folder of an earlier installation, from its uninstall command line: the
// first double-quoted text after the program (the log path; the program's own
// when nothing quoted follows it), up to its last backslash (kept after a
// drive colon). Empty when there is no quoted text or no backslash in it.
TStr FolderFromUninstallString(const TStr& uninstallString);
// That first double-quoted text whole: the log an entry of ours names.
TStr LogFromUninstallString(const TStr& uninstallString);
// The program an uninstall command starts: its leading double-quoted text,
// or, in the unquoted form of earlier versions, the text before " /U " (the
// whole text without one).
TStr UninstallerOfCommand(const TStr& uninstallString);

// A DefaultPath value: absolute when its second character is ':', otherwise
// below the program files folder.
bool IsAbsoluteDefaultPath(const TStr& defaultPath);
