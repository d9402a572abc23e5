// The LZMA decoder against the Python standard library's encoder (the one
// the packer uses), over the property values and data shapes that exercise
// every kind of symbol, and on damaged streams.
#include <doctest/doctest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cab_builder.h"
#include "test_files.h"
#include "python_lzma.h"
#include "unpack/lzma_decoder.h"

namespace {

typedef std::vector<uint8_t> Bytes;

bool Decode(const Bytes& stream, size_t size, const TLzmaProperties& p, Bytes* out) {
  std::vector<uint16_t> work(LzmaWorkSize(p) / 2 + 1);
  out->assign(size, 0xAA);
  return LzmaDecode(stream.data(), stream.size(), out->data(), size, p, work.data());
}

// Text with repeats near and far, runs, random stretches and code-like
// records: literals, matched literals, short repeats, all four repeat
// distances, long matches and far distances all occur.
Bytes MixedData(size_t n) {
  Bytes out;
  Bytes noise = cabbuild::Pattern(4096, 7);
  const char* words[] = {"setup ", "install ", "folder ", "Kestrel ", "notes ", "\r\n", "0000", "call "};
  uint32_t x = 12345;
  while (out.size() < n) {
    x = x * 1103515245u + 12345u;
    switch ((x >> 16) % 6) {
      case 0: out.insert(out.end(), noise.begin() + (x % 3000), noise.begin() + (x % 3000) + 40 + (x % 60)); break;
      case 1: out.insert(out.end(), 20 + (x % 300), (uint8_t)(x >> 24)); break;
      case 2:
        if (out.size() > 70000) {
          size_t from = out.size() - 70000 + (x % 1000);
          Bytes copy(out.begin() + from, out.begin() + from + 100 + (x % 200));
          out.insert(out.end(), copy.begin(), copy.end());
        }
        break;
      case 3:
        for (int i = 0; i < 4; i++) {
          out.push_back(0xE8);
          for (int b = 0; b < 4; b++) out.push_back((uint8_t)((x >> (8 * b)) + i));
        }
        break;
      default: {
        const char* w = words[(x >> 8) % 8];
        out.insert(out.end(), w, w + strlen(w));
      }
    }
  }
  out.resize(n);
  return out;
}

}  // namespace

TEST_CASE("LZMA streams from the standard encoder decode to their data") {
  const TLzmaProperties properties[] = {{3, 0, 2}, {3, 0, 0}, {0, 2, 2}, {1, 1, 4}, {4, 0, 1}, {0, 0, 0}};
  Bytes data = MixedData(300000);
  for (const TLzmaProperties& p : properties) {
    CAPTURE(p.literalContextBits);
    CAPTURE(p.literalPositionBits);
    CAPTURE(p.positionBits);
    Bytes stream = PythonLzma(data, p);
    Bytes out;
    REQUIRE(Decode(stream, data.size(), p, &out));
    CHECK(out == data);
    // A match that would run past the output's end is damage.
    CHECK_FALSE(Decode(stream, 100000, p, &out));
  }
  // Tiny inputs, and the empty one.
  for (size_t n : {0, 1, 2, 5}) {
    Bytes small(MixedData(n));
    Bytes out;
    CHECK(Decode(PythonLzma(small, {3, 0, 2}), n, {3, 0, 2}, &out));
    CHECK(out == small);
  }
}

TEST_CASE("damaged LZMA streams are refused and stay inside their buffers") {
  const TLzmaProperties p = {3, 0, 2};
  Bytes data = MixedData(20000);
  Bytes stream = PythonLzma(data, p);
  Bytes out;
  // Out-of-range properties need no memory and decode nothing.
  CHECK(LzmaWorkSize({5, 0, 2}) == 0);
  CHECK(LzmaWorkSize({3, 0, 5}) == 0);
  CHECK_FALSE(LzmaDecode(stream.data(), stream.size(), out.data(), 0, {5, 0, 2}, nullptr));
  // More output asked for than the stream holds: the end marker, or the
  // input running out, is damage.
  CHECK_FALSE(Decode(stream, data.size() + 1, p, &out));
  // Every shortened stream.
  for (size_t n = 0; n + 1 < stream.size(); n += 97) {
    Bytes cut(stream.begin(), stream.begin() + n);
    CAPTURE(n);
    CHECK_FALSE(Decode(cut, data.size(), p, &out));
  }
  // A first byte other than zero.
  Bytes bad = stream;
  bad[0] = 1;
  CHECK_FALSE(Decode(bad, data.size(), p, &out));
  // Flipped bits anywhere: whatever comes out, nothing outside the buffers
  // is touched (the sanitizers watch), and most are caught.
  int refused = 0;
  for (size_t at = 5; at < stream.size(); at += 53) {
    Bytes flipped = stream;
    flipped[at] ^= 0x10;
    refused += !Decode(flipped, data.size(), p, &out);
  }
  CHECK(refused > 0);
}
