// Version blocks of any shape are walked without fault: a found value lies
// inside the block.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "package/version_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so any read past the end is caught.
  std::vector<unsigned char> block(data, data + size);
  for (const char* name : {"kestin", "cabnam", "Translation", ""}) {
    TVersionText t;
    if (FindVersionText(block.data(), block.size(), name, &t)) {
      if (t.offset > size || t.units > (size - t.offset) / 2) abort();
      if (t.offset % 2) abort();
    }
  }
  return 0;
}
