// What the top of a run tells the user about a failure of the setup-script
// layer (INI and registry access, the destination lookup). The layer itself
// only returns a TError; the wizard, the install run's owner or the
// uninstaller decides whether to show it and owns the box.
#pragma once
#include "base/error.h"
#include "base/str.h"
#include "script/texts.h"

// The message text for one of this layer's codes (kIniWriteFailed,
// kRegIniWriteFailed, kEarlierInstallMissing); empty for any other code.
TStr ScriptErrorText(const TError& error);

// Shows ScriptErrorText with this layer's caption and icon for the code (the
// script's own Error text for the missing earlier installation), owned by
// `owner` (a window handle, or null). For the top of a run; call only from
// the thread that owns `owner`.
void ShowScriptError(void* owner, const TError& error, const TScriptTexts& texts);
