// Self-removal: a running program cannot delete its own file, so at the end
// of a full uninstall the uninstaller starts a temporary copy of itself with
// /D, which deletes the uninstaller file once the uninstaller has exited.
#pragma once
#include "base/str.h"

// Uninstaller side: copies the running program to a fresh temporary file
// (prefix "KVL"), opened delete-on-close so the system removes it once the
// helper has ended, starts it with /D, this program's own file and `message`,
// and waits (bounded) until the helper signals that it runs. False when no
// helper could be started; nothing is left behind then, and the caller shows
// the message itself.
// `quiet` (the unattended uninstall) adds /S: the helper then shows nothing.
bool StartRemovalHelper(const TStr& message, bool quiet = false);

// Helper side (/D): signals the uninstaller through its started marker,
// waits until `file` can be deleted and deletes it. Returns what the user is
// to be told: `message`, and what went wrong with the file, if anything. A
// file still in use after a minute is handed to the system for deletion at
// the next restart. It deletes `file` only when it is a copy of this very
// program, so /D can never be turned against another file.
TStr RemovalHelperRun(const TStr& file, const TStr& message);
