// A small Quantum compressor for round-trip tests: greedy matches of all
// three kinds, the adaptive models with their rescaling and re-sorting, and
// an arithmetic coder that ends every 32 KiB frame (one CFDATA block each).
#pragma once
#include "block_codec.h"

struct TQuantumOptions {
  unsigned windowBits = 16;
  bool matches = true;
  unsigned trailingZeros = 0;  // zero bytes after each frame's data
};

std::vector<TEncodedBlock> QuantumEncode(const std::vector<uint8_t>& input,
                                         const TQuantumOptions& o);
