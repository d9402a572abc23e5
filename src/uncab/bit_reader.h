// Bit input over one compressed block, shared by the block decoders.
//
// The buffer is as wide as a pointer (32 or 64 bits). Past the end of the
// input the reader supplies zero bits and counts them in `padBits`, so a
// decoder can peek ahead freely near the end of a block; whether it really
// consumed any of those invented bits is asked with BitReader_Overrun, which
// every decoder checks before it reports success and before each new block
// header (an endless stream of headers read from padding must not be
// possible).
//
// Two bit orders share the struct:
// - Lsb_*: deflate. Bytes enter at the top of the filled part; the next bit is
//   bit 0 of `buf`.
// - Msb_*: LZX (16-bit little-endian words) and Quantum (bytes). The buffer is
//   left-aligned; the next bit is the top bit of `buf`.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <string.h>

typedef size_t TBitBuf;
enum { kBitBufBits = (int)(sizeof(TBitBuf) * 8) };

struct TBitReader {
  const uint8_t* p;    // next byte not yet taken into buf
  const uint8_t* end;
  TBitBuf buf;
  unsigned count;      // bits held in buf
  unsigned padBits;    // zero bits supplied past `end` (all of them in buf or consumed)
};

inline void BitReader_Init(TBitReader* br, const uint8_t* in, unsigned len) {
  br->p = in;
  br->end = in + len;
  br->buf = 0;
  br->count = 0;
  br->padBits = 0;
}

// True once a decoder has consumed bits that are not in the input. Padding is
// always the last thing in the buffer, so it is consumed exactly when fewer
// bits remain than padding was added.
inline bool BitReader_Overrun(const TBitReader* br) { return br->padBits > br->count; }

// Returns the unread whole bytes of the buffer to the input, so that `p` is
// the next byte of the stream; used where a format switches to plain bytes
// (stored deflate blocks, uncompressed LZX blocks). The caller first drops
// the bits up to the byte boundary. False when the reader has overrun.
inline bool BitReader_ToBytes(TBitReader* br) {
  if (br->padBits > br->count) return false;
  br->p -= (br->count - br->padBits) >> 3;
  br->buf = 0;
  br->count = 0;
  br->padBits = 0;
  return true;
}

// ---- deflate order ----

inline void Lsb_Refill(TBitReader* br) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  if ((size_t)(br->end - br->p) >= sizeof(TBitBuf)) {
    // Whole-word load; the bytes that do not fit completely are loaded again
    // next time (OR-ing the same bits is harmless).
    TBitBuf w;
    memcpy(&w, br->p, sizeof w);
    br->buf |= w << br->count;
    br->p += (kBitBufBits - 1 - br->count) >> 3;
    br->count |= kBitBufBits - 8;
    return;
  }
#endif
  while (br->count <= kBitBufBits - 8) {
    if (br->p < br->end)
      br->buf |= (TBitBuf)*br->p++ << br->count;
    else
      br->padBits += 8;
    br->count += 8;
  }
}

// At least `n` (up to kBitBufBits - 7) bits in the buffer.
inline void Lsb_Ensure(TBitReader* br, unsigned n) {
  if (br->count < n) Lsb_Refill(br);
}

inline void Lsb_Drop(TBitReader* br, unsigned n) {
  br->buf >>= n;
  br->count -= n;
}

// Reads n bits (0 to 24); the value's bit 0 is the first bit of the stream.
inline unsigned Lsb_Read(TBitReader* br, unsigned n) {
  Lsb_Ensure(br, n);
  unsigned v = (unsigned)(br->buf & (((TBitBuf)1 << n) - 1));
  Lsb_Drop(br, n);
  return v;
}

// ---- LZX / Quantum order ----

inline void Msb_RefillWords(TBitReader* br) {
  while (br->count <= kBitBufBits - 16) {
    TBitBuf w = 0;
    if (br->end - br->p >= 2) {
      w = (TBitBuf)br->p[0] | (TBitBuf)br->p[1] << 8;
      br->p += 2;
    } else {
      // A lone last byte cannot form a word; it stays unread.
      br->padBits += 16;
    }
    br->buf |= w << (kBitBufBits - 16 - br->count);
    br->count += 16;
  }
}

inline void Msb_RefillBytes(TBitReader* br) {
  while (br->count <= kBitBufBits - 8) {
    TBitBuf b = 0;
    if (br->p < br->end)
      b = *br->p++;
    else
      br->padBits += 8;
    br->buf |= b << (kBitBufBits - 8 - br->count);
    br->count += 8;
  }
}

inline void Msb_Drop(TBitReader* br, unsigned n) {
  br->buf <<= n;
  br->count -= n;
}

// Top n bits, 1 <= n; the caller has made sure they are in the buffer.
inline unsigned Msb_Peek(const TBitReader* br, unsigned n) {
  return (unsigned)(br->buf >> (kBitBufBits - n));
}

// Takes n bits (0 allowed) that the caller has made sure are in the buffer.
inline unsigned Msb_Take(TBitReader* br, unsigned n) {
  if (n == 0) return 0;
  unsigned v = Msb_Peek(br, n);
  Msb_Drop(br, n);
  return v;
}
