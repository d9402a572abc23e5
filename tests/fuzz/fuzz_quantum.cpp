// Quantum blocks (see fuzz_blocks.h). Byte 0: the low 7 bits pick the
// window, 2^10 to 2^21; without the top bit blocks give at most 4 KiB, as
// arithmetic decoding of any bytes yields output and long garbage frames
// would take most of the fuzzing time.
#include "fuzz_blocks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  FuzzDecoderBlocks((uint16_t)(kCompressQuantum | (10 + (data[0] & 0x7F) % 12) << 8), data + 1,
                    size - 1, data[0] & 0x80 ? 32768 : 4096);
  return 0;
}
