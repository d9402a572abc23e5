// Folders the system names: the Windows folder and the shell's special
// folders, for shortcuts, the program groups and the uninstaller.
#pragma once
#include "base/str.h"

// The Windows folder; empty when it does not fit 260 characters.
TStr GetWindowsDir();
// A shell special folder by its identifier (0 desktop, 2 programs menu of the
// current user); empty when it is not available.
TStr GetSpecialFolder(int csidl);
