// Quantum: streams from the test compressor round trip; hand-made damaged
// streams are refused.
#include <doctest/doctest.h>

#include "block_codec.h"
#include "quantum_encoder.h"

namespace {

uint16_t QuantumType(unsigned windowBits) {
  return (uint16_t)(kCompressQuantum | 0x40 | windowBits << 8);  // level bits are ignored
}

void RoundTrip(const std::vector<uint8_t>& input, const TQuantumOptions& o) {
  std::vector<TEncodedBlock> blocks = QuantumEncode(input, o);
  TDecodeRun run = DecodeBlocks(QuantumType(o.windowBits), blocks);
  REQUIRE(run.result == kDecodeOk);
  CHECK(run.output == input);
}

DecodeResult DecodeFrames(unsigned windowBits, const std::vector<TEncodedBlock>& blocks) {
  return DecodeBlocks(QuantumType(windowBits), blocks).result;
}

}  // namespace

TEST_CASE("literals round trip in every window size") {
  std::vector<uint8_t> input = TextData(40000, 30);
  for (unsigned bits = 10; bits <= 21; bits++) {
    CAPTURE(bits);
    TQuantumOptions o;
    o.windowBits = bits;
    o.matches = false;
    RoundTrip(input, o);
  }
}

TEST_CASE("matches of all three kinds round trip through model rescaling and re-sorting") {
  // Long enough for every model to rescale many times, and for the
  // re-sorting that comes with every 50th rescale of the busy models.
  TQuantumOptions o;
  o.windowBits = 17;
  RoundTrip(TextData(600000, 31), o);
  RoundTrip(NoiseData(70000, 32), o);
  RoundTrip(std::vector<uint8_t>(100000, 'q'), o);
}

TEST_CASE("windows smaller than a frame wrap inside it") {
  std::vector<uint8_t> input = TextData(100000, 33);
  for (unsigned bits : {10u, 12u, 14u, 15u}) {
    CAPTURE(bits);
    TQuantumOptions o;
    o.windowBits = bits;
    RoundTrip(input, o);
  }
}

TEST_CASE("up to four zero bytes after a frame's data are ignored") {
  for (unsigned zeros = 0; zeros <= 4; zeros++) {
    CAPTURE(zeros);
    TQuantumOptions o;
    o.trailingZeros = zeros;
    RoundTrip(TextData(70000, 34), o);
  }
}

TEST_CASE("a final frame shorter than 32 KiB, and tiny inputs") {
  TQuantumOptions o;
  RoundTrip(TextData(32769, 35), o);
  RoundTrip(BytesOf("x"), o);
}

TEST_CASE("a block of the largest size is read within its bounds") {
  // Any bytes are some arithmetic-coded stream; zeros make the decoder pick
  // a far match at once, which has nothing to copy. The sanitizers watch
  // the reads of the rest.
  for (uint8_t fill : {0x00, 0xFF, 0x5A}) {
    CAPTURE(fill);
    TEncodedBlock b;
    b.data.assign(kMaxBlockInput, fill);
    b.outLen = 32768;
    DecodeResult r = DecodeFrames(21, {b});
    if (fill == 0) CHECK(r == kDecodeBadData);
  }
}

TEST_CASE("a match running past the frame end is refused") {
  TQuantumWriter w(16);
  for (char c : std::string("abcdef")) w.Literal((uint8_t)c);
  w.Match(5, 3);  // 6 + 5 > 10
  CHECK(DecodeFrames(16, {w.EndFrame(10)}) == kDecodeBadData);
  TQuantumWriter fits(16);
  for (char c : std::string("abcdef")) fits.Literal((uint8_t)c);
  fits.Match(4, 3);
  TDecodeRun run = DecodeBlocks(QuantumType(16), {fits.EndFrame(10)});
  REQUIRE(run.result == kDecodeOk);
  CHECK(run.output == BytesOf("abcdefdefd"));
}

TEST_CASE("a match reaching before the folder's first byte is refused") {
  TQuantumWriter w(16);
  w.Literal('a');
  w.Literal('b');
  w.Match(3, 3);
  CHECK(DecodeFrames(16, {w.EndFrame(5)}) == kDecodeBadData);
  // In the second frame the first frame's bytes are there to match.
  TQuantumWriter two(16);
  for (int i = 0; i < 32768; i++) two.Literal((uint8_t)('a' + i % 3));
  TEncodedBlock first = two.EndFrame(32768);
  two.Match(5, 32768);
  TDecodeRun run = DecodeBlocks(QuantumType(16), {first, two.EndFrame(5)});
  REQUIRE(run.result == kDecodeOk);
  CHECK(std::string(run.output.end() - 5, run.output.end()) == "abcab");
}

TEST_CASE("input running out is refused at every cut") {
  TQuantumOptions o;
  std::vector<TEncodedBlock> blocks = QuantumEncode(TextData(5000, 36), o);
  REQUIRE(blocks.size() == 1);
  for (size_t cut = 0; cut < blocks[0].data.size(); cut += 3) {
    CAPTURE(cut);
    TEncodedBlock b = blocks[0];
    b.data.resize(cut);
    CHECK(DecodeFrames(16, {b}) == kDecodeBadData);
  }
}

TEST_CASE("nothing follows a frame shorter than 32 KiB") {
  // A second frame that would decode were frames not 32 KiB apart.
  TQuantumWriter w(16);
  for (int i = 0; i < 100; i++) w.Literal('s');
  TEncodedBlock first = w.EndFrame(100);
  for (int i = 0; i < 5; i++) w.Literal('t');
  TDecodeRun run = DecodeBlocks(QuantumType(16), {first, w.EndFrame(5)});
  CHECK(run.result == kDecodeBadData);
  CHECK(run.blocksDone == 1);
}
