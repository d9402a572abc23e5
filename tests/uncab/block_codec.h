// Test-side helpers around the block decoders: compressed blocks as the
// container hands them over, a driver that decodes a folder's blocks the way
// the container will, and bit writers for hand-made streams.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "uncab/decoders.h"

// One CFDATA block: compressed bytes and the size they decode to.
struct TEncodedBlock {
  std::vector<uint8_t> data;
  unsigned outLen = 0;
};

struct TDecodeRun {
  DecodeResult result = kDecodeOk;  // of the first failing call, or of Create
  size_t blocksDone = 0;            // blocks decoded before the failure
  std::vector<uint8_t> output;
};

// Decodes the blocks in order with one decoder, each from and into buffers
// of exactly the stated sizes, so that the sanitizers catch any access
// beyond them. Stops at the first failure.
TDecodeRun DecodeBlocks(uint16_t typeCompress, const std::vector<TEncodedBlock>& blocks);

// malloc and free, for decoders whose memory is not under test.
extern const TDecoderMemory kHeapMemory;

// MSZIP blocks of `input` made by kestin-pack's encoder, 32 KiB of input
// each, the previous 32 KiB as dictionary; level and strategy as zlib takes
// them (level 0 gives stored deflate blocks).
std::vector<TEncodedBlock> MszipEncode(const std::vector<uint8_t>& input, int level,
                                       int strategy = 0);

// Allocator for Decoder_Create that counts live blocks and can be told to
// fail from the n-th request on.
struct TCountingAllocator {
  int live = 0;
  int failFrom = -1;  // -1: never
  int requests = 0;
  TDecoderMemory Memory();
};

std::vector<uint8_t> BytesOf(const std::string& text);
// Reproducible test data: text-like (words from a small vocabulary, so it
// compresses and has matches near and far) or noise.
std::vector<uint8_t> TextData(size_t size, uint32_t seed);
std::vector<uint8_t> NoiseData(size_t size, uint32_t seed);

// Bits for deflate: first bit of the stream is bit 0 of the first byte.
class TLsbWriter {
public:
  void Put(uint32_t value, unsigned bits);
  // A Huffman code of `len` bits, sent from its most significant bit.
  void PutCode(uint32_t code, unsigned len);
  void AlignToByte();
  void PutByte(uint8_t b);  // only when aligned
  std::vector<uint8_t> Finish();

private:
  std::vector<uint8_t> bytes_;
  uint32_t acc_ = 0;
  unsigned count_ = 0;
};

// Bits for LZX: most significant first, in 16-bit little-endian words.
class TWordWriter {
public:
  explicit TWordWriter(std::vector<uint8_t>* out) : out_(out) {}
  void Put(uint32_t value, unsigned bits);
  // Pads to the word boundary with zeros; with `always`, a whole word of
  // padding when already there.
  void Align(bool always = false);
  bool Aligned() const { return count_ == 0; }
  unsigned PendingBits() const { return count_; }  // bits in the unfinished word

private:
  std::vector<uint8_t>* out_;
  uint32_t acc_ = 0;
  unsigned count_ = 0;
};
