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
// - All memory comes from the allocator given at creation, which gets its
//   own context back on every call (no process-wide allocator state).
//
// Details the container relies on:
// - Decoder_Create leaves *out null on failure: kDecodeBadType for an unknown
//   type or a window outside 2^15..2^21 (LZX) or 2^10..2^21 (Quantum),
//   kDecodeNoMemory when the allocator fails (or either call is missing).
// - Decoder_Block returns kDecodeBadData for damaged or truncated data, for
//   data that would need bytes beyond inLen, for output that does not come
//   to exactly outLen, and for outLen above 32768. After any failure the
//   decoder refuses every further block: its window is no longer trustworthy.
// - Stored blocks need inLen == outLen. MSZIP ignores bytes after the final
//   deflate block, Quantum those after a frame's data (compressors pad).
// - LZX and Quantum frames sit 32 KiB apart in the window: every block of a
//   folder but the last must give 32768 bytes; after a shorter one further
//   blocks are refused. A CFDATA block split across cabinets is joined by
//   the caller before it is decoded.
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

// Where a decoder's memory comes from. `self` is handed back to both calls;
// the decoder keeps a copy of this table until it is destroyed.
struct TDecoderMemory {
  void* (*alloc)(void* self, size_t size);
  void (*release)(void* self, void* block);
  void* self;
};

struct TDecoder;

DecodeResult Decoder_Create(uint16_t typeCompress, const TDecoderMemory* memory, TDecoder** out);
DecodeResult Decoder_Block(TDecoder* d, const uint8_t* in, unsigned inLen, uint8_t* out,
                           unsigned outLen);
void Decoder_Destroy(TDecoder* d);
