// A small Quantum compressor for round-trip tests: greedy matches of all
// three kinds, the adaptive models with their rescaling and re-sorting, and
// an arithmetic coder that ends every 32 KiB frame (one CFDATA block each).
#pragma once
#include <memory>

#include "block_codec.h"

struct TQuantumOptions {
  unsigned windowBits = 16;
  bool matches = true;
  unsigned trailingZeros = 0;  // zero bytes after each frame's data
};

// Symbol by symbol, without checks, for hand-made streams.
class TQuantumWriter {
public:
  explicit TQuantumWriter(unsigned windowBits);
  ~TQuantumWriter();
  // Whether a match of this length and offset has a code.
  bool CanMatch(unsigned len, uint32_t offset) const;
  void Literal(uint8_t c);
  void Match(unsigned len, uint32_t offset);  // 3..259, offset >= 1
  // Ends the frame's coder: the block for outLen bytes of output.
  TEncodedBlock EndFrame(unsigned outLen, unsigned trailingZeros = 0);

private:
  struct TState;
  std::unique_ptr<TState> s_;
};

std::vector<TEncodedBlock> QuantumEncode(const std::vector<uint8_t>& input,
                                         const TQuantumOptions& o);
