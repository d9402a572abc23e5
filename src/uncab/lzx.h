// LZX blocks of one folder: a window of 2^15 to 2^21 bytes, verbatim,
// aligned-offset and uncompressed blocks that may span CFDATA blocks, and the
// E8 call translation. Each CFDATA block decodes to one output frame of
// 32768 bytes (the folder's last may be shorter); the compressor restarts its
// bit stream at every frame, but not its window, trees or repeated offsets.
#pragma once
#include "uncab/decoders.h"

struct TLzx;

// windowBits 15..21 (checked by the caller). One allocation.
DecodeResult Lzx_Create(const TDecoderMemory* memory, unsigned windowBits, TLzx** out);
DecodeResult Lzx_Block(TLzx* z, const uint8_t* in, unsigned inLen, uint8_t* out,
                       unsigned outLen);
