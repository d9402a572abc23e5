// Desktop and programs-menu shortcuts of the selected options, created at the
// wizard's Finish and recorded in the uninstall log.
#pragma once
#include "install/install_run.h"

enum TShortcutKind { kDesktopShortcuts, kProgramShortcuts };

// The shortcut file's folder base: the desktop, or the programs folder with
// the program group (empty group: the programs folder itself).
TStr ShortcutBaseFolder(TShortcutKind kind, const TStr& group);

// Creates the shortcuts of `kind` for each selected option in order. Each
// link is recorded as Link<m> (m counting on after the links the log holds,
// of this run or an earlier one into the same log) with its RmDir<m>; RmDir is recorded as 1 only when the
// script asks for it and the link's folder is one this installation created,
// never the desktop or programs folder itself nor a group the user picked
// from the existing ones. Links and the folders made for them are recorded
// before they are made; one the log cannot record is not made, and is told
// to the run's host as a failure. A program group that would lie outside
// the programs folder creates nothing. `baseOverride`, when not empty,
// replaces the desktop or programs folder (tests).
void CreateShortcuts(TInstallRun& run, TShortcutKind kind, const TStr& baseOverride = TStr());
