// Shared driver of the block-decoder fuzz targets. Input layout:
//   byte 0          window size choice (target-specific)
//   then blocks     [compressed length: 2 bytes LE][output length: 2 bytes LE,
//                   above maxOut means maxOut][compressed bytes]
// Up to eight blocks go through one decoder, as a folder's CFDATA blocks do;
// each is copied to a buffer of exactly its size so that ASan sees any read
// or write beyond it.
#pragma once
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "uncab/decoders.h"

inline void* MallocBlock(void*, size_t size) { return malloc(size); }
inline void FreeBlock(void*, void* block) { free(block); }

inline void FuzzDecoderBlocks(uint16_t typeCompress, const uint8_t* data, size_t size,
                              unsigned maxOut = 32768) {
  TDecoder* d = nullptr;
  TDecoderMemory memory = {MallocBlock, FreeBlock, nullptr};
  if (Decoder_Create(typeCompress, &memory, &d) != kDecodeOk) return;
  size_t pos = 0;
  for (int block = 0; block < 8 && size - pos >= 4; block++) {
    size_t inLen = data[pos] | data[pos + 1] << 8;
    unsigned outLen = data[pos + 2] | data[pos + 3] << 8;
    if (outLen > maxOut) outLen = maxOut;
    pos += 4;
    if (inLen > size - pos) inLen = size - pos;
    uint8_t* in = (uint8_t*)malloc(inLen ? inLen : 1);
    uint8_t* out = (uint8_t*)malloc(outLen ? outLen : 1);
    memcpy(in, data + pos, inLen);
    pos += inLen;
    DecodeResult r = Decoder_Block(d, in, (unsigned)inLen, out, outLen);
    free(in);
    free(out);
    if (r != kDecodeOk) break;
  }
  Decoder_Destroy(d);
}
