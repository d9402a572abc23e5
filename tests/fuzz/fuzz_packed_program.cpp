// The loader's unpacking on arbitrary payloads: header, LZMA, call targets
// and the checksum.
#include <stdlib.h>

#include "unpack/packed_program.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TPackedProgram info;
  if (!ReadPackedProgram(data, size, &info) || info.size > (1u << 22)) return 0;
  uint8_t* program = (uint8_t*)malloc(info.size);
  void* work = malloc(PackedProgramWorkSize(info));
  UnpackProgram(info, program, work);
  free(work);
  free(program);
  return 0;
}
