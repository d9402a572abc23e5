#include "uncab/inflate.h"

#include <string.h>

#include "uncab/bit_reader.h"
#include "uncab/huffman.h"

enum {
  kHistory = 32768,
  kLitSymbols = 288,
  kDistSymbols = 32,
  kCodeLenSymbols = 19,
  kLitBits = 10,
  kDistBits = 8,
  kCodeLenBits = 7,
};

struct TInflate {
  unsigned histLen;  // dictionary bytes in front of the block, at most 32 KiB
  bool fixedTables;  // lit/dist hold the fixed codes
  uint16_t lenBase[29];
  uint8_t lenExtra[29];
  uint16_t distBase[30];
  uint8_t distExtra[30];
  uint16_t lit[HUFF_TABLE_ENTRIES(kLitBits, kLitSymbols)];
  uint16_t dist[HUFF_TABLE_ENTRIES(kDistBits, kDistSymbols)];  // also the code-length code
  uint8_t lens[kLitSymbols + kDistSymbols];
  // The dictionary, then the block being decoded, then slack for the last
  // step of the 8-byte match copy.
  uint8_t window[2 * kHistory + 8];
};

DecodeResult Inflate_Create(const TDecoderMemory* memory, TInflate** out) {
  TInflate* z = (TInflate*)memory->alloc(memory->self, sizeof(TInflate));
  if (!z) return kDecodeNoMemory;
  z->histLen = 0;
  z->fixedTables = false;
  // Length codes 257..285 and distance codes 0..29: bases grow by powers of
  // two in groups of four (lengths) and two (distances).
  unsigned base = 3;
  for (unsigned i = 0; i < 28; i++) {
    unsigned extra = i < 8 ? 0 : (i - 4) >> 2;
    z->lenBase[i] = (uint16_t)base;
    z->lenExtra[i] = (uint8_t)extra;
    base += 1u << extra;
  }
  z->lenBase[28] = 258;
  z->lenExtra[28] = 0;
  base = 1;
  for (unsigned i = 0; i < 30; i++) {
    unsigned extra = i < 4 ? 0 : (i - 2) >> 1;
    z->distBase[i] = (uint16_t)base;
    z->distExtra[i] = (uint8_t)extra;
    base += 1u << extra;
  }
  *out = z;
  return kDecodeOk;
}

// Deflate accepts a complete code, no code at all (distances of a block
// without matches), or a single code of length 1; anything else with unused
// code space is a damaged stream.
static bool CodeAcceptable(int left, const uint8_t* lens, unsigned count) {
  if (left == 0 || left == 65536) return true;
  if (left != 32768) return false;
  unsigned used = 0;
  for (unsigned i = 0; i < count; i++) used += lens[i] != 0;
  return used == 1;
}

static void BuildFixedTables(TInflate* z) {
  uint8_t* l = z->lens;
  memset(l, 8, 144);
  memset(l + 144, 9, 112);
  memset(l + 256, 7, 24);
  memset(l + 280, 8, 8);
  Huffman_Build(z->lit, kLitBits, l, kLitSymbols, true);
  // All 32 distance codes, so that the two invalid ones are caught by value.
  memset(l, 5, kDistSymbols);
  Huffman_Build(z->dist, kDistBits, l, kDistSymbols, true);
  z->fixedTables = true;
}

static bool ReadDynamicTables(TInflate* z, TBitReader* br) {
  static const uint8_t kOrder[kCodeLenSymbols] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                  11, 4,  12, 3, 13, 2, 14, 1, 15};
  z->fixedTables = false;
  Lsb_Ensure(br, 14);
  unsigned nlit = Lsb_Read(br, 5) + 257;
  unsigned ndist = Lsb_Read(br, 5) + 1;
  unsigned ncode = Lsb_Read(br, 4) + 4;
  if (nlit > 286 || ndist > 30) return false;
  uint8_t* lens = z->lens;
  memset(lens, 0, kCodeLenSymbols);
  for (unsigned i = 0; i < ncode; i++) lens[kOrder[i]] = (uint8_t)Lsb_Read(br, 3);
  if (Huffman_Build(z->dist, kCodeLenBits, lens, kCodeLenSymbols, true) != 0) return false;

  unsigned total = nlit + ndist;
  for (unsigned i = 0; i < total;) {
    Lsb_Ensure(br, 16);
    int sym = Huffman_DecodeLsb(z->dist, kCodeLenBits, br);
    if (sym < 0) return false;
    if (sym < 16) {
      lens[i++] = (uint8_t)sym;
      continue;
    }
    unsigned rep;
    uint8_t value = 0;
    if (sym == 16) {
      if (i == 0) return false;  // nothing to repeat
      value = lens[i - 1];
      rep = 3 + Lsb_Read(br, 2);
    } else if (sym == 17) {
      rep = 3 + Lsb_Read(br, 3);
    } else {
      rep = 11 + Lsb_Read(br, 7);
    }
    if (rep > total - i) return false;
    memset(lens + i, value, rep);
    i += rep;
  }
  if (lens[256] == 0) return false;  // the block could never end
  if (!CodeAcceptable(Huffman_Build(z->lit, kLitBits, lens, nlit, true), lens, nlit))
    return false;
  return CodeAcceptable(Huffman_Build(z->dist, kDistBits, lens + nlit, ndist, true),
                        lens + nlit, ndist);
}

// Literals and matches up to the end-of-block code. Every symbol either ends
// the block or adds output, and output is capped at outLen, so the loop ends.
static bool InflateCodes(TInflate* z, TBitReader* br, unsigned* posInOut, unsigned outLen) {
  uint8_t* block = z->window + kHistory;
  unsigned pos = *posInOut;
  for (;;) {
    Lsb_Refill(br);
    int sym = Huffman_DecodeLsb(z->lit, kLitBits, br);
    if (sym < 256) {
      if (sym < 0 || pos >= outLen) return false;
      block[pos++] = (uint8_t)sym;
      continue;
    }
    if (sym == 256) break;
    sym -= 257;
    if (sym >= 29) return false;
    unsigned len = z->lenBase[sym] + Lsb_Read(br, z->lenExtra[sym]);
    Lsb_Ensure(br, 15);
    int d = Huffman_DecodeLsb(z->dist, kDistBits, br);
    if (d < 0 || d >= 30) return false;
    unsigned dist = z->distBase[d] + Lsb_Read(br, z->distExtra[d]);
    if (dist > z->histLen + pos || len > outLen - pos) return false;
    uint8_t* to = block + pos;
    const uint8_t* from = to - dist;
    pos += len;
    if (dist >= 8) {
      // The last step may write up to 7 bytes beyond the match, into output
      // not decoded yet or the slack behind the window.
      uint8_t* stop = to + len;
      do {
        memcpy(to, from, 8);
        to += 8;
        from += 8;
      } while (to < stop);
    } else {
      while (len--) *to++ = *from++;
    }
  }
  *posInOut = pos;
  return true;
}

DecodeResult Inflate_Block(TInflate* z, const uint8_t* in, unsigned inLen, uint8_t* out,
                           unsigned outLen) {
  if (outLen > kHistory || inLen < 2 || in[0] != 'C' || in[1] != 'K') return kDecodeBadData;
  TBitReader br;
  BitReader_Init(&br, in + 2, inLen - 2);
  unsigned pos = 0;
  unsigned final;
  do {
    // Each deflate block needs fresh input: a stream that never sets the
    // final bit ends here once its bytes are used up.
    Lsb_Refill(&br);
    if (BitReader_Overrun(&br)) return kDecodeBadData;
    final = Lsb_Read(&br, 1);
    unsigned type = Lsb_Read(&br, 2);
    if (type == 0) {
      Lsb_Drop(&br, br.count & 7);
      if (!BitReader_ToBytes(&br) || br.end - br.p < 4) return kDecodeBadData;
      unsigned len = br.p[0] | br.p[1] << 8;
      unsigned nlen = br.p[2] | br.p[3] << 8;
      br.p += 4;
      if ((len ^ nlen) != 0xFFFF || len > (unsigned)(br.end - br.p) || len > outLen - pos)
        return kDecodeBadData;
      memcpy(z->window + kHistory + pos, br.p, len);
      br.p += len;
      pos += len;
      continue;
    }
    if (type == 1) {
      if (!z->fixedTables) BuildFixedTables(z);
    } else if (type != 2 || !ReadDynamicTables(z, &br)) {
      return kDecodeBadData;
    }
    if (!InflateCodes(z, &br, &pos, outLen)) return kDecodeBadData;
  } while (!final);
  if (BitReader_Overrun(&br) || pos != outLen) return kDecodeBadData;

  memcpy(out, z->window + kHistory, outLen);
  memmove(z->window, z->window + outLen, kHistory);
  z->histLen += outLen;
  if (z->histLen > kHistory) z->histLen = kHistory;
  return kDecodeOk;
}
