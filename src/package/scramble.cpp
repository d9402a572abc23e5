#include "package/scramble.h"

void XorCabinetHeadAt(unsigned char* bytes, size_t n, size_t at) {
  for (size_t i = 0; i < n && at + i < kScrambledHead; i++)
    bytes[i] ^= (unsigned char)(kScrambleKey >> (8 * ((at + i) & 3)));
}

void XorCabinetHead(unsigned char* bytes, size_t n) { XorCabinetHeadAt(bytes, n, 0); }
