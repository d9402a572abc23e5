// The wizard's proposed values: the registered owner and organisation, and the
// destination folder from the setup script's [Path] section.
#pragma once
#include "base/error.h"
#include "base/str.h"

// TError code of an earlier installation that [Path] FindPath names but that
// cannot be found, while [Path] NotFoundPathMsg is set. Subject is that
// message: the text the user is to be shown.
const int kEarlierInstallMissing = 0x203;

class TRegIniFile;
// The machine registry object of install mode, rooted at HKEY_LOCAL_MACHINE,
// made and freed by the start-up; the defaults are read through it.
extern TRegIniFile* MachineRegistry;

TStr GetRegisteredOwner();
TStr GetRegisteredOrganization();
// The destination folder the wizard proposes. When FindPath names an earlier
// installation that cannot be found and NotFoundPathMsg is set, setup cannot
// go on: the result is empty and `error` holds
// kEarlierInstallMissing. Nothing is shown here; the caller shows the message
// (ShowScriptError) with the wizard as its owner.
TStr GetDestinationFolder(TError* error);

extern const char* const kVersionKey9x;
extern const char* const kVersionKeyNT;
