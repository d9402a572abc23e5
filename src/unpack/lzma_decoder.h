// A decoder for raw LZMA streams (no header: the literal-context, literal-
// position and position bits are given), decoding into one buffer that holds
// the whole output, which is then also the dictionary. The release loader
// uses it for the setup program; its encoder is the Python standard
// library's (scripts/pack-program.py).
//
// Every distance is checked against the output so far and every length
// against the room left; input that ends early counts as damage. Decoding
// stops once the output is full (an end marker after it is not read).
#pragma once
#include <stddef.h>
#include <stdint.h>

// Largest literal-context plus literal-position bits accepted (the literal
// tables grow with 2 to that power).
const unsigned kLzmaMaxLiteralBits = 4;

struct TLzmaProperties {
  unsigned literalContextBits;   // lc, 0..8
  unsigned literalPositionBits;  // lp, 0..4
  unsigned positionBits;         // pb, 0..4
};

// Bytes of working memory LzmaDecode needs for these properties, or 0 when
// they are out of range (lc + lp above kLzmaMaxLiteralBits, pb above 4).
size_t LzmaWorkSize(const TLzmaProperties& properties);

// Decodes `in` into exactly `outSize` bytes at `out`, using `work`
// (LzmaWorkSize bytes, 2-byte aligned). False when the stream is damaged or
// ends before the output is full.
bool LzmaDecode(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize,
                const TLzmaProperties& properties, void* work);
