#include "unpack/lzma_decoder.h"

namespace {

const unsigned kStates = 12;
const unsigned kMaxPositionStates = 16;
const unsigned kLiteralCoderSize = 0x300;
const uint16_t kProbabilityStart = 1024;  // one half in 11 bits

// Lengths: 2 to 9 (low), 10 to 17 (middle), 18 to 273 (high).
struct TLengthCoder {
  uint16_t choice;
  uint16_t choice2;
  uint16_t low[kMaxPositionStates][8];
  uint16_t middle[kMaxPositionStates][8];
  uint16_t high[256];
};

// The adaptive probabilities; the literal tables follow them in the work
// memory.
struct TModel {
  uint16_t isMatch[kStates][kMaxPositionStates];
  uint16_t isRep[kStates];
  uint16_t isRepG0[kStates];
  uint16_t isRepG1[kStates];
  uint16_t isRepG2[kStates];
  uint16_t isRep0Long[kStates][kMaxPositionStates];
  uint16_t distanceSlot[4][64];
  uint16_t distanceSpecial[114];
  uint16_t align[16];
  TLengthCoder matchLength;
  TLengthCoder repLength;
};

const size_t kModelWords = sizeof(TModel) / sizeof(uint16_t);

struct TRangeDecoder {
  const uint8_t* next;
  const uint8_t* end;
  uint32_t range;
  uint32_t code;
  bool overrun;

  void Normalize() {
    if (range >= (1u << 24)) return;
    range <<= 8;
    uint8_t byte = 0;
    if (next < end)
      byte = *next++;
    else
      overrun = true;
    code = (code << 8) | byte;
  }

  unsigned Bit(uint16_t* probability) {
    Normalize();
    uint32_t bound = (range >> 11) * *probability;
    if (code < bound) {
      range = bound;
      *probability = (uint16_t)(*probability + ((2048 - *probability) >> 5));
      return 0;
    }
    range -= bound;
    code -= bound;
    *probability = (uint16_t)(*probability - (*probability >> 5));
    return 1;
  }

  unsigned DirectBit() {
    Normalize();
    range >>= 1;
    if (code < range) return 0;
    code -= range;
    return 1;
  }

  // `bits` bits, most significant first, through a tree of 2^bits entries.
  unsigned Tree(uint16_t* probabilities, unsigned bits) {
    unsigned m = 1;
    for (unsigned i = 0; i < bits; i++) m = (m << 1) | Bit(probabilities + m);
    return m - (1u << bits);
  }

  // `bits` bits, least significant first.
  unsigned ReverseTree(uint16_t* probabilities, unsigned bits) {
    unsigned m = 1, value = 0;
    for (unsigned i = 0; i < bits; i++) {
      unsigned bit = Bit(probabilities + m);
      m = (m << 1) | bit;
      value |= bit << i;
    }
    return value;
  }

  // 0-based: 0 means a length of 2.
  unsigned Length(TLengthCoder* c, unsigned positionState) {
    if (!Bit(&c->choice)) return Tree(c->low[positionState], 3);
    if (!Bit(&c->choice2)) return 8 + Tree(c->middle[positionState], 3);
    return 16 + Tree(c->high, 8);
  }
};

}  // namespace

size_t LzmaWorkSize(const TLzmaProperties& p) {
  if (p.literalContextBits + p.literalPositionBits > kLzmaMaxLiteralBits || p.positionBits > 4) return 0;
  return sizeof(uint16_t) * (kModelWords + ((size_t)kLiteralCoderSize << (p.literalContextBits + p.literalPositionBits)));
}

bool LzmaDecode(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize,
                const TLzmaProperties& p, void* work) {
  size_t words = LzmaWorkSize(p) / sizeof(uint16_t);
  if (words == 0 || inSize < 5 || in[0] != 0) return false;
  uint16_t* all = (uint16_t*)work;
  for (size_t i = 0; i < words; i++) all[i] = kProbabilityStart;
  TModel* m = (TModel*)work;
  uint16_t* literals = all + kModelWords;

  TRangeDecoder rc;
  rc.next = in + 5;
  rc.end = in + inSize;
  rc.range = 0xFFFFFFFFu;
  rc.code = (uint32_t)in[1] << 24 | (uint32_t)in[2] << 16 | (uint32_t)in[3] << 8 | in[4];
  rc.overrun = false;

  const size_t positionMask = ((size_t)1 << p.positionBits) - 1;
  const size_t literalPositionMask = ((size_t)1 << p.literalPositionBits) - 1;
  const unsigned lc = p.literalContextBits;
  unsigned state = 0;
  uint32_t rep0 = 0, rep1 = 0, rep2 = 0, rep3 = 0;
  size_t pos = 0;
  while (pos < outSize) {
    if (rc.overrun) return false;
    unsigned positionState = (unsigned)(pos & positionMask);
    if (!rc.Bit(&m->isMatch[state][positionState])) {
      unsigned previous = pos ? out[pos - 1] : 0;
      uint16_t* probabilities =
          literals + kLiteralCoderSize * ((((pos & literalPositionMask) << lc) + (previous >> (8 - lc))));
      unsigned symbol = 1;
      if (state >= 7) {
        // After a match the byte at the last distance steers the first bits.
        if (rep0 >= pos) return false;
        unsigned matchByte = out[pos - rep0 - 1];
        do {
          unsigned matchBit = (matchByte >> 7) & 1;
          matchByte <<= 1;
          unsigned bit = rc.Bit(probabilities + ((1 + matchBit) << 8) + symbol);
          symbol = (symbol << 1) | bit;
          if (bit != matchBit) break;
        } while (symbol < 0x100);
      }
      while (symbol < 0x100) symbol = (symbol << 1) | rc.Bit(probabilities + symbol);
      out[pos++] = (uint8_t)symbol;
      state = state < 4 ? 0 : state < 10 ? state - 3 : state - 6;
      continue;
    }

    unsigned length;
    if (rc.Bit(&m->isRep[state])) {
      if (pos == 0) return false;
      if (!rc.Bit(&m->isRepG0[state])) {
        if (!rc.Bit(&m->isRep0Long[state][positionState])) {
          // One byte from the last distance.
          if (rep0 >= pos) return false;
          state = state < 7 ? 9 : 11;
          out[pos] = out[pos - rep0 - 1];
          pos++;
          continue;
        }
      } else {
        uint32_t distance;
        if (!rc.Bit(&m->isRepG1[state])) {
          distance = rep1;
        } else {
          if (!rc.Bit(&m->isRepG2[state])) {
            distance = rep2;
          } else {
            distance = rep3;
            rep3 = rep2;
          }
          rep2 = rep1;
        }
        rep1 = rep0;
        rep0 = distance;
      }
      length = rc.Length(&m->repLength, positionState);
      state = state < 7 ? 8 : 11;
    } else {
      rep3 = rep2;
      rep2 = rep1;
      rep1 = rep0;
      length = rc.Length(&m->matchLength, positionState);
      state = state < 7 ? 7 : 10;
      unsigned slot = rc.Tree(m->distanceSlot[length < 4 ? length : 3], 6);
      if (slot < 4) {
        rep0 = slot;
      } else {
        unsigned direct = (slot >> 1) - 1;
        uint32_t distance = 2 | (slot & 1);
        if (slot < 14) {
          distance <<= direct;
          distance += rc.ReverseTree(m->distanceSpecial + distance - slot - 1, direct);
        } else {
          for (unsigned i = 0; i < direct - 4; i++) distance = (distance << 1) | rc.DirectBit();
          distance = (distance << 4) + rc.ReverseTree(m->align, 4);
        }
        rep0 = distance;
        if (rep0 == 0xFFFFFFFFu) return false;  // the end marker before the output is full
      }
    }
    // A distance reaching before the output, or a match running past its
    // end, is damage.
    size_t count = length + 2;
    if (rep0 >= pos || count > outSize - pos) return false;
    const uint8_t* from = out + pos - rep0 - 1;
    for (size_t i = 0; i < count; i++) out[pos + i] = from[i];
    pos += count;
  }
  return !rc.overrun;
}
