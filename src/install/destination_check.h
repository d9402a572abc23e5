// The destination page's last check before the install may start.
#pragma once
#include "base/str.h"

// Empty when files can be created in `folder` (an absolute folder); else
// what the user is told. Folders it had to make are removed again.
TStr CheckDestinationWritable(const TStr& folder);

// Bytes free for this user on the drive or share `folder` is on; -1 when
// that cannot be told (then the install is not stopped for it).
long long FreeBytes(const TStr& folder);
