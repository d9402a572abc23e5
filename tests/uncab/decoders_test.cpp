// The common interface: creation by compression type, stored blocks, the
// allocator, and the checks every type shares.
#include <doctest/doctest.h>

#include "block_codec.h"
#include "lzx_encoder.h"

TEST_CASE("unknown types and window sizes are refused at creation") {
  struct {
    uint16_t type;
    DecodeResult expected;
  } cases[] = {
      {0x0000, kDecodeOk},      {0x0001, kDecodeOk},      {0x0004, kDecodeBadType},
      {0x000F, kDecodeBadType}, {0x0E03, kDecodeBadType}, {0x0F03, kDecodeOk},
      {0x1503, kDecodeOk},      {0x1603, kDecodeBadType}, {0x0003, kDecodeBadType},
      {0x0902, kDecodeBadType}, {0x0A02, kDecodeOk},      {0x1502, kDecodeOk},
      {0x1602, kDecodeBadType}, {0x1F02, kDecodeBadType},
  };
  for (auto& c : cases) {
    CAPTURE(c.type);
    TDecoder* d = reinterpret_cast<TDecoder*>(1);
    CHECK(Decoder_Create(c.type, &kHeapMemory, &d) == c.expected);
    if (c.expected == kDecodeOk) {
      CHECK(d != nullptr);
      Decoder_Destroy(d);
    } else {
      CHECK(d == nullptr);
    }
  }
}

TEST_CASE("all memory comes from the given allocator and goes back to it") {
  for (uint16_t type : {0x0000, 0x0001, 0x1503, 0x1502}) {
    CAPTURE(type);
    TCountingAllocator counter;
    TDecoderMemory memory = counter.Memory();
    TDecoder* d = nullptr;
    REQUIRE(Decoder_Create(type, &memory, &d) == kDecodeOk);
    CHECK(counter.live > 0);
    Decoder_Destroy(d);
    CHECK(counter.live == 0);
  }
}

TEST_CASE("a failing allocator gives kDecodeNoMemory and leaks nothing") {
  for (uint16_t type : {0x0000, 0x0001, 0x1503, 0x1502}) {
    for (int failFrom = 0; failFrom < 3; failFrom++) {
      CAPTURE(type);
      CAPTURE(failFrom);
      TCountingAllocator counter;
      counter.failFrom = failFrom;
      TDecoderMemory memory = counter.Memory();
      TDecoder* d = nullptr;
      DecodeResult r = Decoder_Create(type, &memory, &d);
      if (failFrom < counter.requests) {
        CHECK(r == kDecodeNoMemory);
        CHECK(d == nullptr);
      }
      if (d) Decoder_Destroy(d);
      CHECK(counter.live == 0);
    }
  }
}

TEST_CASE("stored blocks copy their bytes and must not change size") {
  TEncodedBlock b;
  b.data = BytesOf("stored bytes");
  b.outLen = 12;
  TDecodeRun run = DecodeBlocks(kCompressNone, {b, b});
  REQUIRE(run.result == kDecodeOk);
  CHECK(run.output == BytesOf("stored bytesstored bytes"));
  b.outLen = 13;
  CHECK(DecodeBlocks(kCompressNone, {b}).result == kDecodeBadData);
  b.outLen = 11;
  CHECK(DecodeBlocks(kCompressNone, {b}).result == kDecodeBadData);
  TEncodedBlock empty;
  CHECK(DecodeBlocks(kCompressNone, {empty}).result == kDecodeOk);
}

TEST_CASE("a block may not decode to more than 32 KiB, nor LZX and Quantum to nothing") {
  TEncodedBlock big;
  big.data.assign(32769, 'x');
  big.outLen = 32769;
  for (uint16_t type : {0x0000, 0x0001, 0x1503, 0x1502}) {
    CAPTURE(type);
    CHECK(DecodeBlocks(type, {big}).result == kDecodeBadData);
  }
  TEncodedBlock empty;
  empty.data = {0, 0, 0, 0};
  CHECK(DecodeBlocks(0x1503, {empty}).result == kDecodeBadData);
  CHECK(DecodeBlocks(0x1502, {empty}).result == kDecodeBadData);
}

TEST_CASE("null arguments are refused, not followed") {
  TDecoder* d = nullptr;
  CHECK(Decoder_Create(0x0001, &kHeapMemory, nullptr) != kDecodeOk);
  CHECK(Decoder_Create(0x0001, nullptr, &d) != kDecodeOk);
  TDecoderMemory noRelease = {kHeapMemory.alloc, nullptr, nullptr};
  CHECK(Decoder_Create(0x0001, &noRelease, &d) != kDecodeOk);
  CHECK(d == nullptr);
  REQUIRE(Decoder_Create(0x0000, &kHeapMemory, &d) == kDecodeOk);
  uint8_t out[4];
  CHECK(Decoder_Block(d, nullptr, 4, out, 4) == kDecodeBadData);
  Decoder_Destroy(d);
  REQUIRE(Decoder_Create(0x0000, &kHeapMemory, &d) == kDecodeOk);
  CHECK(Decoder_Block(d, out, 4, nullptr, 4) == kDecodeBadData);
  Decoder_Destroy(d);
  CHECK(Decoder_Block(nullptr, out, 4, out, 4) == kDecodeBadData);
  Decoder_Destroy(nullptr);
}

TEST_CASE("after a failed block every later block is refused") {
  // The damaged block changes nothing a later block could notice: only the
  // decoder's memory of the failure keeps it from going on.
  TLzxOptions o;
  std::vector<TEncodedBlock> lzx = LzxEncode(TextData(70000, 50), o);
  TEncodedBlock bad;
  bad.data = {0, 0};
  bad.outLen = 40000;  // more than a block may give
  for (auto [typeWord, good] : {std::make_pair(0x1003, lzx[0]),
                                std::make_pair(0x0000, TEncodedBlock{BytesOf("ab"), 2})}) {
    int type = typeWord;
    CAPTURE(type);
    TDecoder* d = nullptr;
    REQUIRE(Decoder_Create((uint16_t)type, &kHeapMemory, &d) == kDecodeOk);
    std::vector<uint8_t> out(40000);
    CHECK(Decoder_Block(d, bad.data.data(), 2, out.data(), bad.outLen) == kDecodeBadData);
    CHECK(Decoder_Block(d, good.data.data(), (unsigned)good.data.size(), out.data(),
                        good.outLen) == kDecodeBadData);
    Decoder_Destroy(d);
  }
}
