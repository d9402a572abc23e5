// Decoding tables for canonical prefix codes (deflate and LZX trees), built
// from a list of code lengths.
//
// A table has a first-level part indexed by the next `bits` bits of input and
// an overflow part for longer codes, walked one bit at a time (long codes are
// rare, so the walk costs little and keeps the tables small). Entries:
//   (length << 10) | symbol   a symbol, length 1..16
//   0                         a code that no symbol owns
//   0x8000 | n                go on with node pair n of the overflow part
#pragma once
#include <stdint.h>
#include "uncab/bit_reader.h"

enum { kHuffMaxLen = 16, kHuffMaxSymbols = 1024 };

// Entries a table needs for `symbols` symbols and a `bits`-bit first level.
#define HUFF_TABLE_ENTRIES(bits, symbols) ((1u << (bits)) + 2u * (symbols))

// Fills `table` for `count` symbols whose code lengths (0 = unused) are in
// `lens`. `lsbFirst` selects deflate's bit order for the first-level index.
// Returns the code space left unused, in units of 2^-16: 0 for a complete
// code, 65536 when no symbol has a code. Returns -1 when the lengths
// over-subscribe the code space or one exceeds 16; the table is then unusable.
// Unused codes of an incomplete table decode as errors.
int Huffman_Build(uint16_t* table, unsigned bits, const uint8_t* lens, unsigned count,
                  bool lsbFirst);

// Decodes one symbol, or returns -1 for a code that no symbol owns. The caller
// has made sure that the buffer holds at least 16 bits.
inline int Huffman_DecodeLsb(const uint16_t* table, unsigned bits, TBitReader* br) {
  unsigned e = table[br->buf & ((1u << bits) - 1)];
  unsigned n = bits;
  while (e & 0x8000) {
    e = table[(1u << bits) + ((e & 0x7FFF) << 1) + ((unsigned)(br->buf >> n) & 1)];
    n++;
  }
  unsigned len = e >> 10;
  if (len == 0) return -1;
  Lsb_Drop(br, len);
  return (int)(e & 0x3FF);
}

inline int Huffman_DecodeMsb(const uint16_t* table, unsigned bits, TBitReader* br) {
  unsigned e = table[Msb_Peek(br, bits)];
  unsigned n = bits;
  while (e & 0x8000) {
    e = table[(1u << bits) + ((e & 0x7FFF) << 1) +
              ((unsigned)(br->buf >> (kBitBufBits - 1 - n)) & 1)];
    n++;
  }
  unsigned len = e >> 10;
  if (len == 0) return -1;
  Msb_Drop(br, len);
  return (int)(e & 0x3FF);
}
