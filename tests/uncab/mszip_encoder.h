// MSZIP blocks made with zlib: each 32 KiB of input becomes "CK" plus a raw
// deflate stream that ends with a final block and may refer to the previous
// 32 KiB (given to zlib as a preset dictionary).
#pragma once
#include "block_codec.h"

// level 0 gives stored blocks; strategy is zlib's (Z_FIXED for fixed codes).
std::vector<TEncodedBlock> MszipEncode(const std::vector<uint8_t>& input, int level,
                                       int strategy);
