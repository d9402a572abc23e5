// The destination page's last check before the install may start.
#pragma once
#include "base/str.h"

// Empty when files can be created in `folder` (an absolute folder); else
// what the user is told. Folders it had to make are removed again.
TStr CheckDestinationWritable(const TStr& folder);
