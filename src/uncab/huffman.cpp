#include "uncab/huffman.h"

#include <string.h>

static unsigned ReverseBits(unsigned v, unsigned n) {
  unsigned r = 0;
  while (n--) {
    r = (r << 1) | (v & 1);
    v >>= 1;
  }
  return r;
}

int Huffman_Build(uint16_t* table, unsigned bits, const uint8_t* lens, unsigned count,
                  bool lsbFirst) {
  unsigned lenCount[kHuffMaxLen + 1];
  unsigned nextCode[kHuffMaxLen + 1];
  memset(lenCount, 0, sizeof lenCount);
  for (unsigned s = 0; s < count; s++) {
    if (lens[s] > kHuffMaxLen) return -1;
    lenCount[lens[s]]++;
  }
  // Canonical codes, shortest first; `left` tracks the free code space so an
  // over-subscribed set is refused before any entry is written from it.
  int left = 1;
  unsigned code = 0;
  lenCount[0] = 0;
  for (unsigned len = 1; len <= kHuffMaxLen; len++) {
    left = (left << 1) - (int)lenCount[len];
    if (left < 0) return -1;
    code = (code + lenCount[len - 1]) << 1;
    nextCode[len] = code;
  }

  memset(table, 0, HUFF_TABLE_ENTRIES(bits, count) * sizeof(uint16_t));
  const unsigned first = 1u << bits;
  unsigned pairs = 0;
  for (unsigned s = 0; s < count; s++) {
    unsigned len = lens[s];
    if (len == 0) continue;
    unsigned c = nextCode[len]++;
    uint16_t entry = (uint16_t)(len << 10 | s);
    if (len <= bits) {
      // Every index that starts with this code gets the entry.
      unsigned fill = 1u << (bits - len);
      unsigned base = lsbFirst ? ReverseBits(c, len) : c << (bits - len);
      for (unsigned i = 0; i < fill; i++) table[lsbFirst ? base | i << len : base | i] = entry;
      continue;
    }
    unsigned head = c >> (len - bits);
    uint16_t* slot = &table[lsbFirst ? ReverseBits(head, bits) : head];
    for (unsigned b = len - bits; b-- > 0;) {
      if (*slot == 0) {
        // A complete code needs fewer pairs than symbols; only a sparse,
        // incomplete set of long codes could want more.
        if (pairs == count) return -1;
        *slot = (uint16_t)(0x8000 | pairs++);
      } else if (!(*slot & 0x8000)) return -1;  // a shorter code owns this prefix
      slot = &table[first + ((*slot & 0x7FFF) << 1) + ((c >> b) & 1)];
    }
    *slot = entry;
  }
  return left;
}
