// The wizard's proposed values: the registered owner and organisation, and the
// destination folder from the setup script's [Path] section.
#pragma once
#include "base/str.h"

TStr GetRegisteredOwner();
TStr GetRegisteredOrganization();
// May show [Path] NotFoundPathMsg and set CancelFlag when FindPath names an
// earlier installation that cannot be found.
TStr GetDestinationFolder();

extern const char* const kVersionKey9x;
extern const char* const kVersionKeyNT;
