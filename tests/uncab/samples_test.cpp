// The decoders against cabinets made by other tools.
#include <doctest/doctest.h>

#include "block_codec.h"
#include "sample_cabinet.h"
#include "test_files.h"

namespace {

TSampleCabinet LoadSample(const std::string& name) {
  std::vector<uint8_t> bytes = ReadWholeFile(TestDataPath("cab/" + name));
  REQUIRE(!bytes.empty());
  TSampleCabinet cab;
  REQUIRE(ParseCabinet(bytes, &cab));
  return cab;
}

std::string FileText(const TSampleCabinet& cab, const std::vector<uint8_t>& folderOut, size_t index) {
  const TSampleFile& f = cab.files[index];
  REQUIRE(f.offset + f.size <= folderOut.size());
  return std::string(folderOut.begin() + f.offset, folderOut.begin() + f.offset + f.size);
}

}  // namespace

TEST_CASE("one folder of each compression type decodes to the known texts") {
  TSampleCabinet cab = LoadSample("mszip_lzx_qtm.cab");
  REQUIRE(cab.folders.size() == 3);
  REQUIRE(cab.files.size() == 3);
  const char* expected[3] = {
      "If you can read this, the MSZIP decompressor is working!\n",
      "-----------------------------------------------------------------\n"
      "If you can read this, the LZX decompressor is working!\n"
      "-----------------------------------------------------------------\n",
      "If you can read this, the Quantum decompressor is working!\n"};
  for (size_t i = 0; i < 3; i++) {
    CAPTURE(i);
    TDecodeRun run = DecodeBlocks(cab.folders[i].typeCompress, cab.folders[i].blocks);
    REQUIRE(run.result == kDecodeOk);
    CHECK(FileText(cab, run.output, i) == expected[i]);
  }
}

TEST_CASE("a folder shared by two files and cabinets with reserved areas decode") {
  for (const char* name : {"normal_2files_1folder.cab", "reserve_HFD.cab"}) {
    CAPTURE(name);
    TSampleCabinet cab = LoadSample(name);
    REQUIRE(cab.folders.size() == 1);
    TDecodeRun run = DecodeBlocks(cab.folders[0].typeCompress, cab.folders[0].blocks);
    REQUIRE(run.result == kDecodeOk);
    uint32_t total = 0;
    for (const TSampleFile& f : cab.files) total += f.size;
    CHECK(run.output.size() == total);
  }
  TSampleCabinet cab = LoadSample("normal_2files_1folder.cab");
  TDecodeRun run = DecodeBlocks(cab.folders[0].typeCompress, cab.folders[0].blocks);
  CHECK(FileText(cab, run.output, 0).rfind("#include <stdio.h>", 0) == 0);
}

TEST_CASE("cabinets known to have broken other decoders are refused") {
  for (const char* name : {"cve-2010-2800-mszip-infinite-loop.cab",
                           "cve-2015-4471-lzx-under-read.cab",
                           "cve-2018-18584-qtm-max-size-block.cab"}) {
    CAPTURE(name);
    std::vector<uint8_t> bytes = ReadWholeFile(TestDataPath(std::string("cab/") + name));
    // The damage is in the data: the container records are intact enough to
    // hand a block to the decoder, which must refuse it.
    TSampleCabinet cab;
    REQUIRE(ParseCabinet(bytes, &cab));
    REQUIRE(cab.folders.size() == 1);
    REQUIRE(cab.folders[0].blocks.size() == 1);
    TDecodeRun run = DecodeBlocks(cab.folders[0].typeCompress, cab.folders[0].blocks);
    CHECK(run.result == kDecodeBadData);
  }
}
