#include "uncab/decoders.h"

#include <string.h>

#include "uncab/inflate.h"
#include "uncab/lzx.h"
#include "uncab/quantum.h"

struct TDecoder {
  unsigned type;
  // After a failed block the decoder's window and trees are in an unknown
  // state; every later block is refused rather than decoded from them.
  bool failed;
  TDecoderMemory memory;
  void* state;
};

DecodeResult Decoder_Create(uint16_t typeCompress, const TDecoderMemory* memory, TDecoder** out) {
  if (!out) return kDecodeBadType;
  *out = 0;
  if (!memory || !memory->alloc || !memory->release) return kDecodeNoMemory;
  unsigned type = typeCompress & kCompressMask;
  unsigned windowBits = (typeCompress >> 8) & 0x1F;
  if (type > kCompressLzx || (type == kCompressLzx && (windowBits < 15 || windowBits > 21)) ||
      (type == kCompressQuantum && (windowBits < 10 || windowBits > 21)))
    return kDecodeBadType;

  TDecoder* d = (TDecoder*)memory->alloc(memory->self, sizeof(TDecoder));
  if (!d) return kDecodeNoMemory;
  d->type = type;
  d->failed = false;
  d->memory = *memory;
  d->state = 0;
  DecodeResult r = kDecodeOk;
  if (type == kCompressMszip)
    r = Inflate_Create(memory, (TInflate**)&d->state);
  else if (type == kCompressLzx)
    r = Lzx_Create(memory, windowBits, (TLzx**)&d->state);
  else if (type == kCompressQuantum)
    r = Quantum_Create(memory, windowBits, (TQuantum**)&d->state);
  if (r != kDecodeOk) {
    memory->release(memory->self, d);
    return r;
  }
  *out = d;
  return kDecodeOk;
}

DecodeResult Decoder_Block(TDecoder* d, const uint8_t* in, unsigned inLen, uint8_t* out,
                           unsigned outLen) {
  if (!d || d->failed) return kDecodeBadData;
  DecodeResult r = kDecodeBadData;
  if (outLen <= kMaxBlockOutput && (in || !inLen) && (out || !outLen)) {
    switch (d->type) {
    case kCompressNone:
      if (inLen == outLen) {
        if (outLen) memcpy(out, in, outLen);
        r = kDecodeOk;
      }
      break;
    case kCompressMszip:
      r = Inflate_Block((TInflate*)d->state, in, inLen, out, outLen);
      break;
    case kCompressLzx:
      r = Lzx_Block((TLzx*)d->state, in, inLen, out, outLen);
      break;
    default:
      r = Quantum_Block((TQuantum*)d->state, in, inLen, out, outLen);
      break;
    }
  }
  if (r != kDecodeOk) d->failed = true;
  return r;
}

void Decoder_Destroy(TDecoder* d) {
  if (!d) return;
  TDecoderMemory memory = d->memory;
  if (d->state) memory.release(memory.self, d->state);
  memory.release(memory.self, d);
}
