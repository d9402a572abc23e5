// Quantum blocks (see fuzz_blocks.h); byte 0 picks the window, 2^10 to 2^21.
#include "fuzz_blocks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  FuzzDecoderBlocks((uint16_t)(kCompressQuantum | (10 + data[0] % 12) << 8), data + 1, size - 1);
  return 0;
}
