// MSZIP blocks: each CFDATA block holds "CK" and a complete deflate stream
// (stored, fixed and dynamic blocks, the last one marked final). The last
// 32 KiB of the folder's output so far is the dictionary of the next block.
#pragma once
#include "uncab/decoders.h"

struct TInflate;

// One allocation; nothing else to free.
DecodeResult Inflate_Create(const TDecoderMemory* memory, TInflate** out);
DecodeResult Inflate_Block(TInflate* z, const uint8_t* in, unsigned inLen, uint8_t* out,
                           unsigned outLen);
