// MSZIP: zlib-made streams round trip; hand-made damaged streams are refused.
#include <doctest/doctest.h>
#include <zlib.h>

#include <chrono>

#include "block_codec.h"
#include "lzx_encoder.h"  // LimitedCodeLengths, CanonicalCodes

namespace {

// Fixed-code literal/length symbol.
void PutFixedLit(TLsbWriter* w, unsigned v) {
  if (v < 144)
    w->PutCode(0x30 + v, 8);
  else if (v < 256)
    w->PutCode(0x190 + v - 144, 9);
  else if (v < 280)
    w->PutCode(v - 256, 7);
  else
    w->PutCode(0xC0 + v - 280, 8);
}

TEncodedBlock Block(std::vector<uint8_t> deflate, unsigned outLen) {
  TEncodedBlock b;
  b.data = {'C', 'K'};
  b.data.insert(b.data.end(), deflate.begin(), deflate.end());
  b.outLen = outLen;
  return b;
}

DecodeResult DecodeOne(const TEncodedBlock& b) { return DecodeBlocks(kCompressMszip, {b}).result; }

// A fixed-code block: literals of `text`, then optional match (length,
// distance code, distance extra bits), then end of block.
std::vector<uint8_t> FixedBlock(const std::string& text, bool final, int lenSym = 0,
                                unsigned distCode = 0, unsigned distExtra = 0,
                                unsigned distExtraBits = 0) {
  TLsbWriter w;
  w.Put(final, 1);
  w.Put(1, 2);
  for (char c : text) PutFixedLit(&w, (uint8_t)c);
  if (lenSym) {
    PutFixedLit(&w, lenSym);
    w.PutCode(distCode, 5);
    w.Put(distExtra, distExtraBits);
  }
  PutFixedLit(&w, 256);
  return w.Finish();
}

// Dynamic block header for the given lengths, the code-length code complete
// over all 19 symbols; `items` overrides the sequence of code-length symbols
// (symbol, extra value) when not empty.
void PutDynamicHeader(TLsbWriter* w, const std::vector<uint8_t>& lit,
                      const std::vector<uint8_t>& dist,
                      std::vector<std::pair<unsigned, unsigned>> items = {}) {
  static const unsigned kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  std::vector<uint8_t> clLens = LimitedCodeLengths(std::vector<uint32_t>(19, 1), 7);
  std::vector<uint32_t> clCodes = CanonicalCodes(clLens);
  w->Put((unsigned)lit.size() - 257, 5);
  w->Put((unsigned)dist.size() - 1, 5);
  w->Put(15, 4);
  for (unsigned i = 0; i < 19; i++) w->Put(clLens[kOrder[i]], 3);
  if (items.empty()) {
    for (uint8_t l : lit) items.push_back({l, 0});
    for (uint8_t l : dist) items.push_back({l, 0});
  }
  for (auto [sym, extra] : items) {
    w->PutCode(clCodes[sym], clLens[sym]);
    if (sym == 16) w->Put(extra, 2);
    if (sym == 17) w->Put(extra, 3);
    if (sym == 18) w->Put(extra, 7);
  }
}

// Literal lengths where 'a', 'b' and end-of-block have codes, completed
// with eight-bit codes for the rest of the bytes as needed.
std::vector<uint8_t> SmallLitLens() {
  std::vector<uint8_t> lit(257, 0);
  lit['a'] = 1;
  lit['b'] = 2;
  lit[256] = 2;
  return lit;
}

std::vector<uint8_t> DynamicBlock(const std::vector<uint8_t>& lit, const std::vector<uint8_t>& dist,
                                  const std::string& text) {
  TLsbWriter w;
  w.Put(1, 1);
  w.Put(2, 2);
  PutDynamicHeader(&w, lit, dist);
  std::vector<uint32_t> codes = CanonicalCodes(lit);
  for (char c : text) w.PutCode(codes[(uint8_t)c], lit[(uint8_t)c]);
  w.PutCode(codes[256], lit[256]);
  return w.Finish();
}

}  // namespace

TEST_CASE("zlib streams of every block kind round trip") {
  struct {
    const char* what;
    int level;
    int strategy;
  } kinds[] = {{"stored", 0, Z_DEFAULT_STRATEGY},
               {"fixed", 6, Z_FIXED},
               {"dynamic", 9, Z_DEFAULT_STRATEGY},
               {"literals only", 6, Z_HUFFMAN_ONLY},
               {"runs", 6, Z_RLE}};
  std::vector<uint8_t> inputs[] = {TextData(100000, 1), NoiseData(70000, 2),
                                   std::vector<uint8_t>(40000, 'x'), BytesOf("a")};
  for (auto& k : kinds) {
    for (auto& input : inputs) {
      CAPTURE(k.what);
      CAPTURE(input.size());
      std::vector<TEncodedBlock> blocks = MszipEncode(input, k.level, k.strategy);
      TDecodeRun run = DecodeBlocks(kCompressMszip, blocks);
      REQUIRE(run.result == kDecodeOk);
      CHECK(run.output == input);
    }
  }
}

TEST_CASE("matches reach back into earlier blocks") {
  // Noise repeated at distance 30000: the second block is almost all
  // matches into the first block's output.
  std::vector<uint8_t> half = NoiseData(30000, 3);
  std::vector<uint8_t> input = half;
  input.insert(input.end(), half.begin(), half.end());
  std::vector<TEncodedBlock> blocks = MszipEncode(input, 9, Z_DEFAULT_STRATEGY);
  REQUIRE(blocks.size() == 2);
  CHECK(blocks[1].data.size() < 2000);
  TDecodeRun run = DecodeBlocks(kCompressMszip, blocks);
  REQUIRE(run.result == kDecodeOk);
  CHECK(run.output == input);
}

TEST_CASE("data after the final deflate block is ignored") {
  TEncodedBlock b = Block(FixedBlock("abc", true), 3);
  b.data.push_back(0x55);
  b.data.push_back(0xAA);
  CHECK(DecodeOne(b) == kDecodeOk);
}

TEST_CASE("a final end-of-block code that lies beyond the input is refused") {
  // "abc" in a fixed block takes 34 bits; the last byte holds the last two
  // bits of the end-of-block code (zeros, like the padding past the end).
  TEncodedBlock b = Block(FixedBlock("abc", true), 3);
  REQUIRE(b.data.size() == 2 + 5);
  CHECK(DecodeOne(b) == kDecodeOk);
  b.data.pop_back();
  CHECK(DecodeOne(b) == kDecodeBadData);
}

TEST_CASE("a block without the CK signature is refused") {
  std::vector<TEncodedBlock> blocks = MszipEncode(BytesOf("hello"), 6, Z_DEFAULT_STRATEGY);
  blocks[0].data[1] = 'X';
  CHECK(DecodeOne(blocks[0]) == kDecodeBadData);
  CHECK(DecodeOne(Block({}, 0)) == kDecodeBadData);  // no final block either
  TEncodedBlock tooShort;
  tooShort.data = {'C'};
  CHECK(DecodeOne(tooShort) == kDecodeBadData);
}

TEST_CASE("a stream that never sets the final bit ends when its input does") {
  // Non-final fixed blocks, each a literal, then the input is over.
  std::vector<uint8_t> bits;
  TLsbWriter w;
  for (int i = 0; i < 3; i++) {
    w.Put(0, 1);
    w.Put(1, 2);
    PutFixedLit(&w, 'z');
    PutFixedLit(&w, 256);
  }
  CHECK(DecodeOne(Block(w.Finish(), 3)) == kDecodeBadData);
}

TEST_CASE("endless empty stored blocks are refused promptly") {
  // 38 KiB of empty non-final stored blocks: each is 5 bytes, none ends
  // the stream.
  TLsbWriter w;
  for (int i = 0; i < 38000 / 5; i++) {
    w.Put(0, 3);
    w.AlignToByte();
    for (uint8_t b : {0x00, 0x00, 0xFF, 0xFF}) w.PutByte(b);
  }
  auto start = std::chrono::steady_clock::now();
  CHECK(DecodeOne(Block(w.Finish(), 32768)) == kDecodeBadData);
  CHECK(std::chrono::steady_clock::now() - start < std::chrono::seconds(1));
}

TEST_CASE("stored blocks with a damaged length are refused") {
  auto stored = [](unsigned len, unsigned nlen, size_t present) {
    TLsbWriter w;
    w.Put(1, 3);
    w.AlignToByte();
    for (unsigned v : {len & 0xFF, len >> 8, nlen & 0xFF, nlen >> 8}) w.PutByte((uint8_t)v);
    for (size_t i = 0; i < present; i++) w.PutByte('s');
    return Block(w.Finish(), len);
  };
  CHECK(DecodeOne(stored(5, 0xFFFA, 5)) == kDecodeOk);
  CHECK(DecodeOne(stored(5, 0xFFFB, 5)) == kDecodeBadData);  // NLEN is not ~LEN
  CHECK(DecodeOne(stored(16, 0xFFEF, 1)) == kDecodeBadData);  // LEN past the input
}

TEST_CASE("a match reaching before the folder's first byte is refused") {
  // "ab" then length 3 (code 257) at distance 3 (code 2): one byte too far.
  CHECK(DecodeOne(Block(FixedBlock("ab", true, 257, 2), 5)) == kDecodeBadData);
  // Distance 2 (code 1) is fine and overlaps its own output.
  TDecodeRun ok = DecodeBlocks(kCompressMszip, {Block(FixedBlock("ab", true, 257, 1), 5)});
  REQUIRE(ok.result == kDecodeOk);
  CHECK(ok.output == BytesOf("ababa"));
}

TEST_CASE("history is the earlier blocks' output, not more") {
  // After a first block of 3 bytes, the second block may reach 3 + its own
  // position back, but not 4.
  TEncodedBlock first = Block(FixedBlock("xyz", true), 3);
  TEncodedBlock near = Block(FixedBlock("", true, 257, 2), 3);         // distance 3
  TEncodedBlock far = Block(FixedBlock("", true, 257, 3), 3);          // distance 4
  TDecodeRun run = DecodeBlocks(kCompressMszip, {first, near});
  REQUIRE(run.result == kDecodeOk);
  CHECK(run.output == BytesOf("xyzxyz"));
  CHECK(DecodeBlocks(kCompressMszip, {first, far}).result == kDecodeBadData);
}

TEST_CASE("distance codes 30 and 31 and length codes 286 and 287 are refused") {
  CHECK(DecodeOne(Block(FixedBlock("abcd", true, 257, 30), 7)) == kDecodeBadData);
  CHECK(DecodeOne(Block(FixedBlock("abcd", true, 257, 31), 7)) == kDecodeBadData);
  CHECK(DecodeOne(Block(FixedBlock("abcd", true, 286, 0), 7)) == kDecodeBadData);
  CHECK(DecodeOne(Block(FixedBlock("abcd", true, 287, 0), 7)) == kDecodeBadData);
}

TEST_CASE("block type 3 is refused") {
  TLsbWriter w;
  w.Put(1, 1);
  w.Put(3, 2);
  w.Put(0, 16);
  CHECK(DecodeOne(Block(w.Finish(), 1)) == kDecodeBadData);
}

TEST_CASE("output must be exactly the block's stated size") {
  CHECK(DecodeOne(Block(FixedBlock("abc", true), 3)) == kDecodeOk);
  CHECK(DecodeOne(Block(FixedBlock("abc", true), 4)) == kDecodeBadData);  // short
  CHECK(DecodeOne(Block(FixedBlock("abc", true), 2)) == kDecodeBadData);  // long
  // A match running past the end.
  CHECK(DecodeOne(Block(FixedBlock("ab", true, 258, 1), 5)) == kDecodeBadData);
}

TEST_CASE("dynamic blocks: a well-formed small code decodes") {
  std::vector<uint8_t> dist = {1};  // one distance code of length 1 is allowed
  TDecodeRun run = DecodeBlocks(kCompressMszip, {Block(DynamicBlock(SmallLitLens(), dist, "abba"), 4)});
  REQUIRE(run.result == kDecodeOk);
  CHECK(run.output == BytesOf("abba"));
}

TEST_CASE("dynamic blocks: over-subscribed literal code is refused") {
  std::vector<uint8_t> lit = SmallLitLens();
  lit['c'] = 1;  // 1 + 1 + 2 + 2: more than the code space
  CHECK(DecodeOne(Block(DynamicBlock(lit, {1}, "ab"), 2)) == kDecodeBadData);
}

TEST_CASE("dynamic blocks: incomplete literal code is refused") {
  std::vector<uint8_t> lit = SmallLitLens();
  lit['b'] = 3;  // 1/2 + 1/8 + 1/4: an eighth of the codes unowned
  CHECK(DecodeOne(Block(DynamicBlock(lit, {1}, "ab"), 2)) == kDecodeBadData);
}

TEST_CASE("dynamic blocks: a code without end-of-block is refused") {
  std::vector<uint8_t> lit(257, 0);
  lit['a'] = 1;
  lit['b'] = 1;
  TLsbWriter w;
  w.Put(1, 1);
  w.Put(2, 2);
  PutDynamicHeader(&w, lit, {1});
  w.Put(0, 16);
  CHECK(DecodeOne(Block(w.Finish(), 2)) == kDecodeBadData);
}

TEST_CASE("dynamic blocks: damaged code-length sequences are refused") {
  auto header = [](std::vector<std::pair<unsigned, unsigned>> items) {
    TLsbWriter w;
    w.Put(1, 1);
    w.Put(2, 2);
    PutDynamicHeader(&w, SmallLitLens(), {1}, items);
    w.Put(0, 32);
    return Block(w.Finish(), 1);
  };
  // Code 16 (repeat the previous length) as the very first symbol; the rest
  // would make a valid header.
  CHECK(DecodeOne(header({{16, 0}, {18, 83}, {1, 0}, {2, 0}, {18, 127}, {18, 8}, {2, 0}, {1, 0}})) ==
        kDecodeBadData);
  {
    TLsbWriter w;
    w.Put(1, 1);
    w.Put(2, 2);
    PutDynamicHeader(&w, SmallLitLens(), {1},
                     {{17, 0}, {18, 83}, {1, 0}, {2, 0}, {18, 127}, {18, 8}, {2, 0}, {1, 0}});
    w.PutCode(0, 1);  // 'a'
    w.PutCode(3, 2);  // end of block
    CHECK(DecodeOne(Block(w.Finish(), 1)) == kDecodeOk);
  }
  // Runs past the last of the 258 lengths, of zeros and of repeats.
  auto tail = [](std::pair<unsigned, unsigned> last) {
    TLsbWriter w;
    w.Put(1, 1);
    w.Put(2, 2);
    PutDynamicHeader(&w, SmallLitLens(), {1},
                     {{17, 0}, {18, 83}, {1, 0}, {2, 0}, {18, 127}, {18, 8}, {2, 0}, last});
    w.PutCode(0, 1);  // 'a'
    w.PutCode(3, 2);  // end of block
    return Block(w.Finish(), 1);
  };
  CHECK(DecodeOne(tail({18, 0})) == kDecodeBadData);
  CHECK(DecodeOne(tail({17, 0})) == kDecodeBadData);
  CHECK(DecodeOne(tail({16, 0})) == kDecodeBadData);
}

TEST_CASE("dynamic blocks: more than 286 literal or 30 distance codes are refused") {
  // Otherwise well-formed blocks that decode "a".
  auto block = [](size_t nlit, size_t ndist) {
    std::vector<uint8_t> lit = SmallLitLens();
    lit.resize(nlit, 0);
    std::vector<uint8_t> dist(ndist, 0);
    dist[0] = 1;
    TLsbWriter w;
    w.Put(1, 1);
    w.Put(2, 2);
    PutDynamicHeader(&w, lit, dist);
    w.PutCode(0, 1);  // 'a'
    w.PutCode(3, 2);  // end of block
    return Block(w.Finish(), 1);
  };
  CHECK(DecodeOne(block(286, 30)) == kDecodeOk);
  CHECK(DecodeOne(block(287, 30)) == kDecodeBadData);
  CHECK(DecodeOne(block(288, 30)) == kDecodeBadData);
  CHECK(DecodeOne(block(286, 31)) == kDecodeBadData);
  CHECK(DecodeOne(block(286, 32)) == kDecodeBadData);
}

TEST_CASE("truncated zlib streams are refused at every length") {
  std::vector<TEncodedBlock> blocks = MszipEncode(TextData(20000, 5), 9, Z_DEFAULT_STRATEGY);
  TEncodedBlock b = blocks[0];
  for (size_t cut = 0; cut < b.data.size(); cut += 7) {
    TEncodedBlock t = b;
    t.data.resize(cut);
    CAPTURE(cut);
    CHECK(DecodeOne(t) == kDecodeBadData);
  }
}
