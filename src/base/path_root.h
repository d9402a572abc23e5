// Where a full path's root ends: what exists or does not, and is never made,
// renamed or removed as a folder of a product.
#pragma once
#include "base/str.h"

// Length of the root at the start of `path` including its separator: 3 for
// "C:\", the length of "\\server\share\" for a share (both names present, not
// a device path such as \\?\ or \\.\); 0 when the path has no such root.
// '\' and '/' both separate.
size_t PathRootLength(const TStr& path);
