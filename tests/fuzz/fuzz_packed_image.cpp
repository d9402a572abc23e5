// The loader's steps on arbitrary payloads: header, LZMA, call targets,
// relocations and import tables, for both image widths (byte 0 picks one).
#include <stdlib.h>
#include <string.h>

#include "unpack/packed_image.h"

namespace {
void* Open(void*, const char* library) { return strlen(library) % 3 ? (void*)1 : nullptr; }
uint64_t Find(void*, void*, const char* name, uint32_t ordinal) { return name ? strlen(name) % 5 : ordinal; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  bool pe64 = data[0] & 1;
  TPackedImageInfo info;
  if (!ReadPackedImageInfo(data + 1, size - 1, &info) || info.imageSize > (1u << 22)) return 0;
  uint8_t* image = (uint8_t*)calloc(info.imageSize, 1);
  void* work = malloc(PackedImageWorkSize(info));
  if (DecompressPackedImage(info, image, work) && RelocateImage(image, info, 0x10000, pe64)) {
    TImportResolver resolver = {Open, Find, nullptr};
    TImportFailure failure;
    BindImageImports(image, info, pe64, resolver, &failure);
  }
  free(work);
  free(image);
  return 0;
}
