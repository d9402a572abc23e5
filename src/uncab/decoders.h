// Block decoders of the cabinet engine: one interface over the four
// compression types. The container code (folders, CFDATA blocks, checksums)
// calls these; they know nothing of files or FDI.
//
// Contract:
// - A decoder lives for one folder. Decoder_Create takes the folder's
//   typeCompress word as stored in CFFOLDER (low 4 bits: type; for LZX and
//   Quantum bits 8..12 carry the window size as a power of two).
// - Decoder_Block decodes one CFDATA block: `in`/`inLen` are the block's
//   compressed bytes (cbData), `out` receives exactly `outLen` bytes (cbUncomp,
//   at most 32768). State that spans blocks (MSZIP history, LZX/Quantum window
//   and trees) is carried inside the decoder.
// - Nothing is read outside [in, in + inLen) or written outside
//   [out, out + outLen), whatever the input; every length, distance and table
//   is checked; no input makes a call loop forever.
// - All memory comes from the allocator given at creation.
#pragma once
#include <stddef.h>
#include <stdint.h>

enum {
  kCompressNone = 0,
  kCompressMszip = 1,
  kCompressQuantum = 2,
  kCompressLzx = 3,
  kCompressMask = 0x000F,
};

const unsigned kMaxBlockOutput = 32768;
// Largest cbData a block may have (LZX may expand incompressible data by up to
// 6144 bytes per 32 KiB frame).
const unsigned kMaxBlockInput = 32768 + 6144;

enum DecodeResult {
  kDecodeOk = 0,
  kDecodeBadData = 1,     // corrupt or truncated compressed data
  kDecodeNoMemory = 2,    // the allocator failed
  kDecodeBadType = 3,     // unknown compression type or window size
};

typedef void* (*DecoderAlloc)(size_t size);
typedef void (*DecoderFree)(void* block);

struct TDecoder;

DecodeResult Decoder_Create(uint16_t typeCompress, DecoderAlloc alloc, DecoderFree release,
                            TDecoder** out);
DecodeResult Decoder_Block(TDecoder* d, const uint8_t* in, unsigned inLen, uint8_t* out,
                           unsigned outLen);
void Decoder_Destroy(TDecoder* d);
