// MSZIP blocks (see fuzz_blocks.h for the input layout; byte 0 is unused).
#include "fuzz_blocks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  FuzzDecoderBlocks(kCompressMszip, data + 1, size - 1);
  return 0;
}
