// The wizard's proposed values: the registered owner and organisation, and the
// destination folder from the setup script's [Path] section.
#pragma once
#include "base/error.h"
#include "base/str.h"

// TError code of an earlier installation that [Path] FindPath names but that
// cannot be found, while [Path] NotFoundPathMsg is set. Subject is that
// message: the text the user is to be shown.
const int kEarlierInstallMissing = 0x203;

#include "script/script_values.h"

class TRegIniFile;

// Read through `machine`, rooted at HKEY_LOCAL_MACHINE; `windowsNT` picks
// the key the system family keeps them under.
TStr GetRegisteredOwner(TRegIniFile& machine, bool windowsNT);
TStr GetRegisteredOrganization(TRegIniFile& machine, bool windowsNT);
// The destination folder the wizard proposes. When FindPath names an earlier
// installation that cannot be found and NotFoundPathMsg is set, setup cannot
// go on: the result is empty and `error` holds
// kEarlierInstallMissing. Nothing is shown here; the caller shows the message
// (ShowScriptError) with the wizard as its owner.
TStr GetDestinationFolder(const TScriptValues& script, TRegIniFile& machine, TError* error);

extern const char* const kVersionKey9x;
extern const char* const kVersionKeyNT;
