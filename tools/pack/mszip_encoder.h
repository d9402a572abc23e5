// MSZIP blocks through zlib. Each block is "CK" and a raw deflate stream that
// ends with a final deflate block on a byte boundary, compressed with the
// folder's previous 32 KiB of input as preset dictionary. That is exactly the
// history an MSZIP decoder carries from block to block, so blocks compress
// independently (on as many threads as there are) and still form one valid
// MSZIP stream.
#pragma once
#include <cstddef>
#include <cstdint>

// Largest block Mszip_Encode produces: incompressible input falls back to one
// stored deflate block ("CK", a 5-byte stored-block header, the bytes).
const size_t kMszipMaxBlock = 2 + 5 + 32768;

struct TMszipEncoder;

// level: zlib's 1 (fastest) to 9 (smallest), 0 for stored deflate blocks.
// strategy: zlib's (0, its default, unless a test wants fixed codes, literals
// only or runs). Null when zlib has no memory.
TMszipEncoder* Mszip_Create(int level, int strategy = 0);
void Mszip_Destroy(TMszipEncoder* e);
// Compresses `n` (1 to 32768) bytes into `out` (room for kMszipMaxBlock) and
// returns the block's size. `dict`/`dictLen`: the preceding input of the same
// folder (at most 32768 bytes used); none for a folder's first block. Without
// an encoder (zlib had no memory) the block is stored, still valid MSZIP.
size_t Mszip_Encode(TMszipEncoder* e, const uint8_t* dict, size_t dictLen, const uint8_t* in,
                    size_t n, uint8_t* out);
