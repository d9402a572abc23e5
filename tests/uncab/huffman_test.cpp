// The shared prefix-code table builder.
#include <doctest/doctest.h>

#include <vector>

#include "lzx_encoder.h"  // CanonicalCodes
#include "uncab/huffman.h"

namespace {

// Table for the lengths; decodes `sym`'s own code through it in MSB order.
int DecodeOwnCode(const std::vector<uint8_t>& lens, unsigned bits, unsigned sym) {
  std::vector<uint16_t> table(HUFF_TABLE_ENTRIES(bits, lens.size()));
  REQUIRE(Huffman_Build(table.data(), bits, lens.data(), (unsigned)lens.size(), false) >= 0);
  uint32_t code = CanonicalCodes(lens)[sym];
  uint8_t bytes[4] = {0, 0, 0, 0};
  // 16-bit little-endian words, first bit highest: code left-aligned.
  uint32_t word = code << (32 - lens[sym]);
  bytes[1] = (uint8_t)(word >> 24);
  bytes[0] = (uint8_t)(word >> 16);
  bytes[3] = (uint8_t)(word >> 8);
  bytes[2] = (uint8_t)word;
  TBitReader br;
  BitReader_Init(&br, bytes, 4);
  Msb_RefillWords(&br);
  unsigned before = br.count;
  int got = Huffman_DecodeMsb(table.data(), bits, &br);
  if (got >= 0) CHECK(before - br.count == lens[sym]);
  return got;
}

}  // namespace

TEST_CASE("complete codes decode every symbol, long codes through the overflow part") {
  // Lengths 1, 2, ..., 15, 16, 16: complete, the longest far past the
  // first-level index.
  std::vector<uint8_t> lens;
  for (unsigned l = 1; l <= 16; l++) lens.push_back((uint8_t)l);
  lens.push_back(16);
  std::vector<uint16_t> table(HUFF_TABLE_ENTRIES(6, lens.size()));
  CHECK(Huffman_Build(table.data(), 6, lens.data(), (unsigned)lens.size(), false) == 0);
  for (unsigned s = 0; s < lens.size(); s++) {
    CAPTURE(s);
    CHECK(DecodeOwnCode(lens, 6, s) == (int)s);
  }
}

TEST_CASE("over-subscribed and over-long lengths are refused") {
  std::vector<uint16_t> table(HUFF_TABLE_ENTRIES(4, 4));
  uint8_t over[4] = {1, 1, 1, 0};
  CHECK(Huffman_Build(table.data(), 4, over, 4, false) == -1);
  uint8_t tooLong[4] = {1, 17, 0, 0};
  CHECK(Huffman_Build(table.data(), 4, tooLong, 4, false) == -1);
}

TEST_CASE("incomplete and empty codes report the unused space; unused codes decode as errors") {
  std::vector<uint16_t> table(HUFF_TABLE_ENTRIES(4, 4));
  uint8_t empty[4] = {0, 0, 0, 0};
  CHECK(Huffman_Build(table.data(), 4, empty, 4, false) == 65536);
  uint8_t half[4] = {1, 0, 0, 0};
  CHECK(Huffman_Build(table.data(), 4, half, 4, false) == 32768);
  // Symbol 0 is "0"; "1..." belongs to nothing.
  uint8_t ones[2] = {0xFF, 0xFF};
  TBitReader br;
  BitReader_Init(&br, ones, 2);
  Msb_RefillWords(&br);
  CHECK(Huffman_DecodeMsb(table.data(), 4, &br) == -1);
  // A sparse incomplete set of long codes cannot overflow the table.
  std::vector<uint8_t> sparse(3, 0);
  sparse[0] = 16;
  sparse[2] = 16;
  std::vector<uint16_t> small(HUFF_TABLE_ENTRIES(4, 3));
  int left = Huffman_Build(small.data(), 4, sparse.data(), 3, false);
  CHECK((left == -1 || left > 0));
}

TEST_CASE("deflate order: the first-level index is bit-reversed") {
  // a=0, b=10, c=11 as deflate sends them: a single 1 bit then 0 is "b".
  uint8_t lens[3] = {1, 2, 2};
  std::vector<uint16_t> table(HUFF_TABLE_ENTRIES(3, 3));
  REQUIRE(Huffman_Build(table.data(), 3, lens, 3, true) == 0);
  uint8_t in[1] = {0x01};  // bits 1, 0, ...: "b"
  TBitReader br;
  BitReader_Init(&br, in, 1);
  Lsb_Refill(&br);
  CHECK(Huffman_DecodeLsb(table.data(), 3, &br) == 1);
  in[0] = 0x03;  // bits 1, 1: "c"
  BitReader_Init(&br, in, 1);
  Lsb_Refill(&br);
  CHECK(Huffman_DecodeLsb(table.data(), 3, &br) == 2);
}
