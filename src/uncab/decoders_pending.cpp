// Stand-in until the block decoders are built: every compressed folder is
// refused as an unknown compression type, stored folders need no decoder.
#include "uncab/decoders.h"

DecodeResult Decoder_Create(uint16_t, DecoderAlloc, DecoderFree, TDecoder** out) {
  *out = nullptr;
  return kDecodeBadType;
}
DecodeResult Decoder_Block(TDecoder*, const uint8_t*, unsigned, uint8_t*, unsigned) {
  return kDecodeBadType;
}
void Decoder_Destroy(TDecoder*) {}
