// LZX: streams from the test compressor round trip; hand-made damaged
// streams are refused.
#include <doctest/doctest.h>

#include <chrono>

#include "block_codec.h"
#include "lzx_encoder.h"

namespace {

uint16_t LzxType(unsigned windowBits) { return (uint16_t)(kCompressLzx | windowBits << 8); }

void RoundTrip(const std::vector<uint8_t>& input, const TLzxOptions& o) {
  std::vector<TEncodedBlock> blocks = LzxEncode(input, o);
  TDecodeRun run = DecodeBlocks(LzxType(o.windowBits), blocks);
  REQUIRE(run.result == kDecodeOk);
  CHECK(run.output == input);
}

// Code lengths for a complete code over n symbols, all of nearly the same
// length, so that hand-made streams can use any symbol.
std::vector<uint8_t> FlatLens(unsigned n) {
  unsigned k = 0;
  while ((1u << k) < n) k++;
  unsigned shorter = (1u << k) - n;
  std::vector<uint8_t> lens(n, (uint8_t)k);
  for (unsigned i = 0; i < shorter; i++) lens[i] = (uint8_t)(k - 1);
  return lens;
}

// Writes LZX streams symbol by symbol with flat trees (window 2^15: 240
// match symbols).
class THandStream {
public:
  static const unsigned kMainSymbols = 256 + 8 * 30;
  THandStream() : w_(&bytes_), mainLens_(FlatLens(kMainSymbols)), lenLens_(FlatLens(249)) {
    mainCodes_ = CanonicalCodes(mainLens_);
    lenCodes_ = CanonicalCodes(lenLens_);
    w_.Put(0, 1);  // no call translation
  }
  TWordWriter& Writer() { return w_; }
  void BlockHeader(unsigned type, uint32_t length) {
    w_.Put(type, 3);
    w_.Put(length >> 8, 16);
    w_.Put(length & 0xFF, 8);
  }
  // A verbatim block whose trees are the flat ones (changes from the
  // previous block's lengths, zero at first).
  void VerbatimBlock(uint32_t length) {
    BlockHeader(1, length);
    LzxWriteLengths(&w_, prevMain_.data(), mainLens_.data(), 0, 256);
    LzxWriteLengths(&w_, prevMain_.data(), mainLens_.data(), 256, kMainSymbols);
    LzxWriteLengths(&w_, prevLen_.data(), lenLens_.data(), 0, 249);
    prevMain_ = mainLens_;
    prevLen_ = lenLens_;
  }
  void Literal(uint8_t c) { w_.Put(mainCodes_[c], mainLens_[c]); }
  // Match of length 2..257 with a position slot and its verbatim footer.
  void Match(unsigned len, unsigned slot, uint32_t footer = 0, unsigned footerBits = 0) {
    unsigned l = len - 2, sym = 256 + slot * 8 + (l < 7 ? l : 7);
    w_.Put(mainCodes_[sym], mainLens_[sym]);
    if (l >= 7) w_.Put(lenCodes_[l - 7], lenLens_[l - 7]);
    w_.Put(footer, footerBits);
  }
  // Ends the frame: the CFDATA block so far; the stream goes on in a new one.
  TEncodedBlock Finish(unsigned outLen) {
    w_.Align();
    TEncodedBlock b;
    b.data = bytes_;
    b.outLen = outLen;
    bytes_.clear();
    return b;
  }
  std::vector<uint8_t>& Bytes() { return bytes_; }

private:
  std::vector<uint8_t> bytes_;
  TWordWriter w_;
  std::vector<uint8_t> mainLens_, lenLens_;
  std::vector<uint32_t> mainCodes_, lenCodes_;
  std::vector<uint8_t> prevMain_ = std::vector<uint8_t>(kMainSymbols, 0);
  std::vector<uint8_t> prevLen_ = std::vector<uint8_t>(249, 0);
};

DecodeResult DecodeHand(const TEncodedBlock& b) { return DecodeBlocks(LzxType(15), {b}).result; }

// x86-like data: noise with many E8 bytes followed by small offsets.
std::vector<uint8_t> CodeLikeData(size_t size, uint32_t seed) {
  std::vector<uint8_t> d = NoiseData(size, seed);
  for (size_t i = 0; i + 5 < size; i += 7 + d[i] % 23) {
    d[i] = 0xE8;
    int32_t rel = (int32_t)(d[i + 1] | d[i + 2] << 8) - 30000;
    for (int k = 0; k < 4; k++) d[i + 1 + k] = (uint8_t)((uint32_t)rel >> (8 * k));
  }
  return d;
}

}  // namespace

TEST_CASE("literal-only verbatim blocks round trip in every window size") {
  std::vector<uint8_t> input = TextData(70000, 10);
  for (unsigned bits = 15; bits <= 21; bits++) {
    CAPTURE(bits);
    TLzxOptions o;
    o.windowBits = bits;
    o.matches = false;
    RoundTrip(input, o);
  }
}

TEST_CASE("uncompressed blocks of odd length round trip across frames") {
  TLzxOptions o;
  o.blockTypes = {3};
  o.blockSize = 10001;  // odd: a pad byte after each, some at frame starts
  RoundTrip(NoiseData(100000, 11), o);
  o.blockSize = 32767;  // ends one byte before each frame end
  RoundTrip(NoiseData(100000, 12), o);
}

TEST_CASE("verbatim blocks with matches round trip, one block spanning all frames") {
  TLzxOptions o;
  RoundTrip(TextData(200000, 13), o);
  o.blockSize = 50000;
  RoundTrip(TextData(200000, 14), o);
}

TEST_CASE("aligned-offset blocks round trip") {
  TLzxOptions o;
  o.blockTypes = {2};
  o.windowBits = 17;
  RoundTrip(TextData(150000, 15), o);
  RoundTrip(NoiseData(40000, 16), o);
}

TEST_CASE("mixed block types keep trees, window and repeated offsets across blocks") {
  TLzxOptions o;
  o.blockTypes = {1, 2, 3, 2, 1, 3};
  o.blockSize = 7777;
  RoundTrip(TextData(180000, 17), o);
}

TEST_CASE("the window wraps: matches reach across its end") {
  TLzxOptions o;
  o.windowBits = 15;
  std::vector<uint8_t> input = TextData(300000, 18);
  RoundTrip(input, o);
  o.windowBits = 16;
  o.blockTypes = {2, 3};
  o.blockSize = 20000;
  RoundTrip(input, o);
}

TEST_CASE("a final frame shorter than 32 KiB, and tiny inputs") {
  TLzxOptions o;
  RoundTrip(TextData(32768 + 1, 19), o);
  RoundTrip(BytesOf("x"), o);
  RoundTrip(BytesOf("abababababab"), o);
}

TEST_CASE("E8 call translation is undone") {
  std::vector<uint8_t> input = CodeLikeData(100000, 20);
  std::vector<uint8_t> translated = input;
  LzxTranslateCalls(&translated, 1000000);
  REQUIRE(translated != input);  // the compressor did change the calls
  TLzxOptions o;
  o.translate = true;
  o.translationSize = 1000000;
  RoundTrip(input, o);
  o.blockTypes = {3, 2};
  o.blockSize = 30000;
  RoundTrip(input, o);
}

TEST_CASE("E8 translation follows its rules at frame ends and across frames") {
  const uint32_t size = 100000;
  // Stored as the decoder sees it (the absolute form); what it must yield
  // is worked out here independently.
  std::vector<uint8_t> data(32768 + 100, 0x90);
  auto put = [&](size_t at, int32_t abs) {
    data[at] = 0xE8;
    for (int k = 0; k < 4; k++) data[at + 1 + k] = (uint8_t)((uint32_t)abs >> (8 * k));
  };
  put(20, 100);               // -> 100 - 20
  put(40, -5);                // negative, within -pos: -> -5 + size
  put(60, -100);              // before -pos: unchanged
  put(80, (int32_t)size);     // at the size: unchanged
  data[91] = 0xE8;            // operand 0x90909090: far below -pos, unchanged
  put(32768 - 10, 40000);     // within the frame's last 10 bytes: unchanged
  put(32768 + 30, 40000);     // second frame: positions count from the folder start
  put(32768 + 89, 40000);     // its last position that is translated
  std::vector<uint8_t> expected = data;
  auto expect = [&](size_t at, int32_t rel) {
    for (int k = 0; k < 4; k++) expected[at + 1 + k] = (uint8_t)((uint32_t)rel >> (8 * k));
  };
  expect(20, 80);
  expect(40, -5 + (int32_t)size);
  expect(32768 + 30, 40000 - (32768 + 30));
  expect(32768 + 89, 40000 - (32768 + 89));

  TLzxOptions o;
  o.translate = true;
  o.translationSize = size;
  o.translateData = false;
  o.matches = false;
  std::vector<TEncodedBlock> blocks = LzxEncode(data, o);
  TDecodeRun run = DecodeBlocks(LzxType(16), blocks);
  REQUIRE(run.result == kDecodeOk);
  CHECK(run.output == expected);
}

TEST_CASE("E8 translation leaves frames of 10 bytes or less alone") {
  for (size_t len : {6, 10}) {
    CAPTURE(len);
    std::vector<uint8_t> data(len, 0x90);
    data[0] = 0xE8;
    data[1] = 5;
    data[2] = data[3] = data[4] = 0;
    TLzxOptions o;
    o.translate = true;
    o.translationSize = 100000;
    o.translateData = false;
    o.matches = false;
    TDecodeRun run = DecodeBlocks(LzxType(16), LzxEncode(data, o));
    REQUIRE(run.result == kDecodeOk);
    CHECK(run.output == data);
  }
}

TEST_CASE("a hand-made stream with matches and a long length decodes") {
  THandStream s;
  s.VerbatimBlock(2 + 12);
  s.Literal('a');
  s.Literal('b');
  s.Match(12, 3);  // offset 1 (slot 3, no footer): repeats 'b'
  TDecodeRun run = DecodeBlocks(LzxType(15), {s.Finish(14)});
  REQUIRE(run.result == kDecodeOk);
  CHECK(run.output == BytesOf("abbbbbbbbbbbbb"));
}

TEST_CASE("a match reaching before the folder's first byte is refused") {
  {
    // The repeated offset starts at 1: a match on it before any output.
    THandStream s;
    s.VerbatimBlock(4);
    s.Match(4, 0);
    CHECK(DecodeHand(s.Finish(4)) == kDecodeBadData);
  }
  {
    // One byte out, then offset 2 (slot 4, footer 1 of 1 bit: 4 + 1 - 2... = 3).
    THandStream s;
    s.VerbatimBlock(3);
    s.Literal('q');
    s.Match(2, 4, 0, 1);  // offset 4 - 2 + 0 = 2
    CHECK(DecodeHand(s.Finish(3)) == kDecodeBadData);
  }
}

TEST_CASE("a match running past the frame or the block end is refused") {
  {
    THandStream s;
    s.VerbatimBlock(100);
    for (int i = 0; i < 3; i++) s.Literal('m');
    s.Match(4, 3);  // 3 + 4 > frame of 5
    CHECK(DecodeHand(s.Finish(5)) == kDecodeBadData);
  }
  {
    THandStream s;
    s.VerbatimBlock(5);
    for (int i = 0; i < 3; i++) s.Literal('m');
    s.Match(4, 3);  // block of 5 ends inside the match
    s.VerbatimBlock(10);
    CHECK(DecodeHand(s.Finish(7)) == kDecodeBadData);
  }
}

TEST_CASE("an empty main tree is refused") {
  THandStream s;
  s.BlockHeader(1, 10);
  std::vector<uint8_t> zeros(THandStream::kMainSymbols, 0), flat249 = FlatLens(249);
  LzxWriteLengths(&s.Writer(), zeros.data(), zeros.data(), 0, 256);
  LzxWriteLengths(&s.Writer(), zeros.data(), zeros.data(), 256, THandStream::kMainSymbols);
  LzxWriteLengths(&s.Writer(), std::vector<uint8_t>(249, 0).data(), flat249.data(), 0, 249);
  s.Writer().Put(0, 32);
  CHECK(DecodeHand(s.Finish(10)) == kDecodeBadData);
}

TEST_CASE("an incomplete main tree is refused") {
  THandStream s;
  s.BlockHeader(1, 10);
  std::vector<uint8_t> zeros(THandStream::kMainSymbols, 0), lens = FlatLens(THandStream::kMainSymbols);
  lens[0] = 10;  // frees half of one code
  LzxWriteLengths(&s.Writer(), zeros.data(), lens.data(), 0, 256);
  LzxWriteLengths(&s.Writer(), zeros.data(), lens.data(), 256, THandStream::kMainSymbols);
  LzxWriteLengths(&s.Writer(), zeros.data(), FlatLens(249).data(), 0, 249);
  s.Writer().Put(0, 32);
  CHECK(DecodeHand(s.Finish(10)) == kDecodeBadData);
}

TEST_CASE("an over-subscribed pre-tree is refused") {
  THandStream s;
  s.BlockHeader(1, 10);
  for (int i = 0; i < 20; i++) s.Writer().Put(1, 4);  // twenty codes of one bit
  s.Writer().Put(0, 64);
  CHECK(DecodeHand(s.Finish(10)) == kDecodeBadData);
}

TEST_CASE("a pre-tree run past the last length is refused") {
  THandStream s;
  s.BlockHeader(1, 10);
  // Pre-tree: codes 0 and 18 of one bit each. 0 keeps a length; 18 is a run
  // of 20 + 31 zeros.
  for (int i = 0; i < 20; i++) s.Writer().Put(i == 0 || i == 18 ? 1 : 0, 4);
  for (int i = 0; i < 250; i++) s.Writer().Put(0, 1);  // 250 lengths kept
  s.Writer().Put(1, 1);                                // code 18 ...
  s.Writer().Put(31, 5);                               // ... 51 zeros: past 256
  s.Writer().Put(0, 32);
  CHECK(DecodeHand(s.Finish(10)) == kDecodeBadData);
}

TEST_CASE("a length code with an empty length tree is refused") {
  // Main tree with every symbol, length tree empty: a match of length 9
  // needs a length symbol.
  THandStream s;
  s.BlockHeader(1, 20);
  std::vector<uint8_t> zeros(THandStream::kMainSymbols, 0), lens = FlatLens(THandStream::kMainSymbols);
  LzxWriteLengths(&s.Writer(), zeros.data(), lens.data(), 0, 256);
  LzxWriteLengths(&s.Writer(), zeros.data(), lens.data(), 256, THandStream::kMainSymbols);
  LzxWriteLengths(&s.Writer(), zeros.data(), zeros.data(), 0, 249);
  std::vector<uint32_t> codes = CanonicalCodes(lens);
  s.Writer().Put(codes['a'], lens['a']);
  unsigned sym = 256 + 3 * 8 + 7;
  s.Writer().Put(codes[sym], lens[sym]);
  s.Writer().Put(0, 32);
  CHECK(DecodeHand(s.Finish(20)) == kDecodeBadData);
}

TEST_CASE("block types 0 and 4 to 7 are refused") {
  for (unsigned type : {0u, 4u, 5u, 6u, 7u}) {
    CAPTURE(type);
    THandStream s;
    s.BlockHeader(type, 10);
    s.Writer().Put(0, 64);
    CHECK(DecodeHand(s.Finish(10)) == kDecodeBadData);
  }
}

TEST_CASE("an uncompressed block longer than its input is refused") {
  THandStream s;
  s.BlockHeader(3, 100);
  s.Writer().Align(true);
  for (int i = 0; i < 12; i++) s.Bytes().push_back(i == 0 || i == 4 || i == 8);
  for (int i = 0; i < 50; i++) s.Bytes().push_back('u');
  TEncodedBlock b;
  b.data = s.Bytes();
  b.outLen = 100;
  CHECK(DecodeHand(b) == kDecodeBadData);
  b.data.resize(b.data.size() - 50 - 6);  // repeated offsets cut off
  b.outLen = 1;
  CHECK(DecodeHand(b) == kDecodeBadData);
}

TEST_CASE("a repeated offset of 0 from an uncompressed block header is refused") {
  THandStream s;
  s.BlockHeader(3, 2);
  s.Writer().Align(true);
  for (int i = 0; i < 12; i++) s.Bytes().push_back(0);  // R0 = R1 = R2 = 0
  s.Bytes().push_back('u');
  s.Bytes().push_back('v');
  s.VerbatimBlock(3);
  s.Match(3, 0);
  CHECK(DecodeHand(s.Finish(5)) == kDecodeBadData);
}

TEST_CASE("input running out mid-stream is refused at every cut") {
  TLzxOptions o;
  o.blockTypes = {2, 3, 1};
  o.blockSize = 3000;
  std::vector<TEncodedBlock> blocks = LzxEncode(TextData(9000, 21), o);
  REQUIRE(blocks.size() == 1);
  for (size_t cut = 0; cut < blocks[0].data.size(); cut += 5) {
    CAPTURE(cut);
    TEncodedBlock b = blocks[0];
    b.data.resize(cut);
    CHECK(DecodeBlocks(LzxType(16), {b}).result == kDecodeBadData);
  }
}

TEST_CASE("endless empty blocks are refused promptly") {
  // Uncompressed blocks of length 0 one after another, never producing the
  // frame's bytes.
  THandStream s;
  for (int i = 0; i < 2500; i++) {
    s.BlockHeader(3, 0);
    s.Writer().Align(true);
    for (int k = 0; k < 12; k++) s.Bytes().push_back(1);
  }
  TEncodedBlock b;
  b.data = s.Bytes();
  b.outLen = 32768;
  auto start = std::chrono::steady_clock::now();
  CHECK(DecodeHand(b) == kDecodeBadData);
  CHECK(std::chrono::steady_clock::now() - start < std::chrono::seconds(1));
}

TEST_CASE("nothing follows a frame shorter than 32 KiB") {
  // A block that goes on after a 100-byte frame: decodable were frames not
  // 32 KiB apart in the window.
  THandStream s;
  s.VerbatimBlock(105);
  for (int i = 0; i < 100; i++) s.Literal('s');
  TEncodedBlock first = s.Finish(100);
  for (int i = 0; i < 5; i++) s.Literal('t');
  TDecodeRun run = DecodeBlocks(LzxType(15), {first, s.Finish(5)});
  CHECK(run.result == kDecodeBadData);
  CHECK(run.blocksDone == 1);
}

// Pre-tree with one-bit codes for `a` and `b` only.
static void PutTwoCodePreTree(TWordWriter* w, unsigned a, unsigned b) {
  for (unsigned i = 0; i < 20; i++) w->Put(i == a || i == b ? 1 : 0, 4);
}

TEST_CASE("a zero run past the last length-tree length is refused") {
  auto stream = [](unsigned lastRun) {
    THandStream s;
    s.BlockHeader(1, 3);
    std::vector<uint8_t> zeros(THandStream::kMainSymbols, 0), lens = FlatLens(THandStream::kMainSymbols);
    LzxWriteLengths(&s.Writer(), zeros.data(), lens.data(), 0, 256);
    LzxWriteLengths(&s.Writer(), zeros.data(), lens.data(), 256, THandStream::kMainSymbols);
    // 249 zeros as runs of 51 (code 18 is "1" here) ... and the last run.
    PutTwoCodePreTree(&s.Writer(), 0, 18);
    for (int i = 0; i < 4; i++) s.Writer().Put(1, 1), s.Writer().Put(31, 5);
    s.Writer().Put(1, 1);
    s.Writer().Put(lastRun - 20, 5);
    for (int i = 0; i < 3; i++) s.Literal('r');
    return s.Finish(3);
  };
  CHECK(DecodeHand(stream(45)) == kDecodeOk);
  CHECK(DecodeHand(stream(51)) == kDecodeBadData);
}

TEST_CASE("an incomplete length tree is refused") {
  auto stream = [](bool incomplete) {
    THandStream s;
    s.BlockHeader(1, 3);
    std::vector<uint8_t> zeros(THandStream::kMainSymbols, 0), lens = FlatLens(THandStream::kMainSymbols);
    LzxWriteLengths(&s.Writer(), zeros.data(), lens.data(), 0, 256);
    LzxWriteLengths(&s.Writer(), zeros.data(), lens.data(), 256, THandStream::kMainSymbols);
    // Code 16 ("0") makes length 1 from 0; code 18 ("1") runs of zeros.
    PutTwoCodePreTree(&s.Writer(), 16, 18);
    unsigned first = incomplete ? 1 : 2;
    for (unsigned i = 0; i < first; i++) s.Writer().Put(0, 1);
    unsigned left = 249 - first;
    while (left) {
      unsigned n = left > 51 ? 51 : left;
      if (left - n > 0 && left - n < 20) n = left - 20;
      s.Writer().Put(1, 1);
      s.Writer().Put(n - 20, 5);
      left -= n;
    }
    for (int i = 0; i < 3; i++) s.Literal('r');
    return s.Finish(3);
  };
  CHECK(DecodeHand(stream(false)) == kDecodeOk);
  CHECK(DecodeHand(stream(true)) == kDecodeBadData);
}

TEST_CASE("an uncompressed block header ending on a word boundary is followed by a whole padding word") {
  THandStream s;
  s.VerbatimBlock(16);
  // Bytes 0..15 have 8-bit codes, the others 9: pick the count of 9-bit
  // ones so that the next block header (27 bits) ends on a word boundary.
  unsigned longOnes = (16 + 5 - s.Writer().PendingBits()) % 16;
  for (unsigned i = 0; i < 16; i++) s.Literal(i < longOnes ? 'L' : (uint8_t)i);
  s.BlockHeader(3, 4);
  REQUIRE(s.Writer().Aligned());
  s.Writer().Align(true);
  for (int i = 0; i < 12; i++) s.Bytes().push_back(i % 4 == 0);
  for (char c : std::string("raw!")) s.Bytes().push_back((uint8_t)c);
  TDecodeRun run = DecodeBlocks(LzxType(15), {s.Finish(20)});
  REQUIRE(run.result == kDecodeOk);
  CHECK(std::string(run.output.begin() + 16, run.output.end()) == "raw!");
}
