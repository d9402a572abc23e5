// Required and available space as the wizard shows and compares them. All
// sizes are 64-bit: a product or a disk of several gigabytes must neither
// wrap nor turn negative.
#pragma once
#include "base/str.h"

// Bytes div 1024 followed by "K" ("0K" for nothing).
TStr KilobyteText(long long bytes);

// Sum of the sizes of the checked components.
long long RequiredBytes(const long long* sizes, const bool* checked, int count);

// Whether `required` bytes fit in `available`; an unknown available space
// (negative) never stops the install, the system will say so if it runs out.
bool HasRoomFor(long long required, long long available);
