// A small LZX compressor for round-trip tests: greedy matching with the
// repeated-offset queue, verbatim, aligned-offset and uncompressed blocks of
// a chosen length (so blocks span frames), pre-tree coded lengths with all
// three run codes, and the E8 call translation. Frames of 32 KiB each end a
// CFDATA block, as in cabinets.
#pragma once
#include "block_codec.h"

struct TLzxOptions {
  unsigned windowBits = 16;
  std::vector<unsigned> blockTypes = {1};  // used in turn: 1 verbatim, 2 aligned, 3 uncompressed
  uint32_t blockSize = 0;                  // 0: one block for all
  bool matches = true;                     // false: literals only
  bool translate = false;
  uint32_t translationSize = 0;
  bool translateData = true;  // false: header only, the data goes in as it is
};

std::vector<TEncodedBlock> LzxEncode(const std::vector<uint8_t>& input, const TLzxOptions& o);

// The compressor's side of the E8 translation, in place.
void LzxTranslateCalls(std::vector<uint8_t>* data, uint32_t size);

// Code lengths first..last-1 as the pre-tree codes them, as changes from
// `prev`.
void LzxWriteLengths(TWordWriter* w, const uint8_t* prev, const uint8_t* cur, unsigned first,
                     unsigned last);

// Huffman code lengths for the frequencies, none longer than `limit`; at
// least two codes when any symbol is used, so that the code is complete.
std::vector<uint8_t> LimitedCodeLengths(const std::vector<uint32_t>& freq, unsigned limit);
// Canonical codes for the lengths.
std::vector<uint32_t> CanonicalCodes(const std::vector<uint8_t>& lens);
