// The test compressors checked against an independent extractor: when
// cabextract is installed, cabinets made from their output must extract to
// the original data. This keeps the round-trip tests honest (the compressors
// and the decoders could otherwise share a misreading of the formats).
#include <doctest/doctest.h>

#include <cstdlib>

#include "block_codec.h"
#include "cab_builder.h"
#include "lzx_encoder.h"
#include "quantum_encoder.h"
#include "test_files.h"

TEST_CASE("LZX and Quantum folders from the test compressors extract with cabextract") {
  if (system("command -v cabextract >/dev/null 2>&1") != 0) {
    MESSAGE("cabextract is not installed; skipped");
    return;
  }
  // One file per folder, named f0, f1, ...
  cabbuild::Cabinet cab;
  std::vector<std::vector<uint8_t>> contents;
  auto add = [&](uint16_t type, const std::vector<TEncodedBlock>& blocks, const std::vector<uint8_t>& data) {
    cabbuild::Folder f;
    f.type = type;
    for (const TEncodedBlock& b : blocks) {
      cabbuild::Block block;
      block.data = b.data;
      block.cbUncomp = (uint16_t)b.outLen;
      f.blocks.push_back(block);
    }
    cabbuild::File file;
    file.name = "f" + std::to_string(cab.folders.size());
    file.size = (uint32_t)data.size();
    file.iFolder = (uint16_t)cab.folders.size();
    cab.folders.push_back(f);
    cab.files.push_back(file);
    contents.push_back(data);
  };
  auto addLzx = [&](const std::vector<uint8_t>& data, const TLzxOptions& o) {
    add((uint16_t)(kCompressLzx | o.windowBits << 8), LzxEncode(data, o), data);
  };
  auto addQuantum = [&](const std::vector<uint8_t>& data, const TQuantumOptions& o) {
    add((uint16_t)(kCompressQuantum | o.windowBits << 8), QuantumEncode(data, o), data);
  };

  TLzxOptions lzx;
  addLzx(TextData(150000, 40), lzx);
  lzx.windowBits = 15;
  lzx.blockTypes = {2, 3, 1};
  lzx.blockSize = 9999;
  addLzx(TextData(120000, 41), lzx);
  std::vector<uint8_t> code = NoiseData(90000, 42);
  for (size_t i = 0; i + 5 < code.size(); i += 9 + code[i] % 17) code[i] = 0xE8, code[i + 4] = 0;
  lzx.windowBits = 17;
  lzx.blockTypes = {1, 2};
  lzx.blockSize = 40000;
  lzx.translate = true;
  lzx.translationSize = 12000000;
  addLzx(code, lzx);

  TQuantumOptions qtm;
  qtm.windowBits = 17;
  addQuantum(TextData(400000, 43), qtm);
  qtm.windowBits = 10;
  qtm.trailingZeros = 2;
  addQuantum(TextData(70000, 44), qtm);
  qtm.windowBits = 21;
  qtm.trailingZeros = 0;
  addQuantum(NoiseData(40000, 45), qtm);

  std::string dir = NewScratchFolder("peer");
  REQUIRE(WriteWholeFile(dir + "test.cab", cab.Build()));
  std::string command = "cabextract -q -d '" + dir + "out' '" + dir + "test.cab' >/dev/null 2>&1";
  CHECK(system(command.c_str()) == 0);
  for (size_t i = 0; i < contents.size(); i++) {
    CAPTURE(i);
    CHECK(ReadWholeFile(dir + "out/f" + std::to_string(i)) == contents[i]);
  }
}
