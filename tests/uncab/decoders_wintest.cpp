// The decoders as the Windows build compiles them (LLP64: 32-bit long,
// 64-bit pointers): the sample cabinet's three folders and round trips
// through the test compressors.
#include <doctest/doctest.h>

#include "block_codec.h"
#include "sample_cabinet.h"
#include "lzx_encoder.h"
#include "quantum_encoder.h"
#include "test_files.h"

TEST_CASE("the sample cabinet's MSZIP, LZX and Quantum folders decode") {
  std::vector<uint8_t> bytes = ReadWholeFile(TestDataPath("cab/mszip_lzx_qtm.cab"));
  TSampleCabinet cab;
  REQUIRE(ParseCabinet(bytes, &cab));
  REQUIRE(cab.folders.size() == 3);
  const char* needles[3] = {"MSZIP decompressor is working", "LZX decompressor is working",
                            "Quantum decompressor is working"};
  for (size_t i = 0; i < 3; i++) {
    CAPTURE(i);
    TDecodeRun run = DecodeBlocks(cab.folders[i].typeCompress, cab.folders[i].blocks);
    REQUIRE(run.result == kDecodeOk);
    CHECK(std::string(run.output.begin(), run.output.end()).find(needles[i]) != std::string::npos);
  }
}

TEST_CASE("LZX and Quantum round trip with the largest windows") {
  std::vector<uint8_t> input = TextData(150000, 60);
  TLzxOptions lzx;
  lzx.windowBits = 21;
  lzx.blockTypes = {1, 2, 3};
  lzx.blockSize = 40000;
  lzx.translate = true;
  lzx.translationSize = 5000000;
  TDecodeRun run = DecodeBlocks((uint16_t)(kCompressLzx | 21 << 8), LzxEncode(input, lzx));
  REQUIRE(run.result == kDecodeOk);
  CHECK(run.output == input);
  TQuantumOptions qtm;
  qtm.windowBits = 21;
  run = DecodeBlocks((uint16_t)(kCompressQuantum | 21 << 8), QuantumEncode(input, qtm));
  REQUIRE(run.result == kDecodeOk);
  CHECK(run.output == input);
}

TEST_CASE("damaged data is refused in the Windows build too") {
  for (const char* name : {"cve-2010-2800-mszip-infinite-loop.cab", "cve-2015-4471-lzx-under-read.cab",
                           "cve-2018-18584-qtm-max-size-block.cab"}) {
    CAPTURE(name);
    TSampleCabinet cab;
    REQUIRE(ParseCabinet(ReadWholeFile(TestDataPath(std::string("cab/") + name)), &cab));
    REQUIRE(cab.folders.size() == 1);
    CHECK(DecodeBlocks(cab.folders[0].typeCompress, cab.folders[0].blocks).result == kDecodeBadData);
  }
}
