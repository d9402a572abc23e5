// Writes the seed corpora of the block-decoder fuzz targets (layout in
// tests/fuzz/fuzz_blocks.h): valid streams from the test compressors and the
// sample cabinets' data blocks.
//   uncab_fuzz_seeds <source dir>
#include <zlib.h>

#include <cstdio>
#include <string>

#include "block_codec.h"
#include "sample_cabinet.h"
#include "lzx_encoder.h"
#include "quantum_encoder.h"

static std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> out;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return out;
  int c;
  while ((c = fgetc(f)) != EOF) out.push_back((uint8_t)c);
  fclose(f);
  return out;
}

static void WriteSeed(const std::string& dir, const std::string& name, uint8_t window,
                      const std::vector<TEncodedBlock>& blocks) {
  std::vector<uint8_t> bytes = {window};
  for (const TEncodedBlock& b : blocks) {
    size_t n = b.data.size();
    bytes.insert(bytes.end(), {(uint8_t)n, (uint8_t)(n >> 8), (uint8_t)b.outLen,
                               (uint8_t)(b.outLen >> 8)});
    bytes.insert(bytes.end(), b.data.begin(), b.data.end());
  }
  std::string path = dir + "/" + name;
  FILE* f = fopen(path.c_str(), "wb");
  if (!f || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) perror(path.c_str());
  if (f) fclose(f);
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: uncab_fuzz_seeds <source dir>\n");
    return 2;
  }
  std::string root = argv[1];
  std::string corpus = root + "/tests/fuzz/corpus/";
  std::vector<uint8_t> text = TextData(6000, 7), twoFrames = TextData(40000, 8);

  std::string m = corpus + "mszip";
  WriteSeed(m, "stored", 0, MszipEncode(text, 0, Z_DEFAULT_STRATEGY));
  WriteSeed(m, "fixed", 0, MszipEncode(text, 6, Z_FIXED));
  WriteSeed(m, "dynamic", 0, MszipEncode(text, 9, Z_DEFAULT_STRATEGY));
  WriteSeed(m, "two_blocks", 0, MszipEncode(twoFrames, 9, Z_DEFAULT_STRATEGY));

  std::string l = corpus + "lzx";
  TLzxOptions o;
  o.matches = false;
  WriteSeed(l, "literals", 1, LzxEncode(text, o));
  o = TLzxOptions();
  o.blockTypes = {3};
  o.blockSize = 1001;
  WriteSeed(l, "uncompressed", 1, LzxEncode(text, o));
  o = TLzxOptions();
  WriteSeed(l, "verbatim", 1, LzxEncode(text, o));
  o.blockTypes = {2, 1, 3};
  o.blockSize = 15000;
  o.windowBits = 15;
  WriteSeed(l, "mixed_two_frames", 0, LzxEncode(twoFrames, o));
  o = TLzxOptions();
  o.translate = true;
  o.translationSize = 50000;
  std::vector<uint8_t> calls = NoiseData(3000, 9);
  for (size_t i = 0; i + 5 < calls.size(); i += 11) calls[i] = 0xE8;
  WriteSeed(l, "e8", 1, LzxEncode(calls, o));

  std::string q = corpus + "quantum";
  TQuantumOptions qo;
  WriteSeed(q, "text", 0x80 | 6, QuantumEncode(text, qo));
  qo.windowBits = 10;
  WriteSeed(q, "small_window_two_frames", 0x80 | 0, QuantumEncode(twoFrames, qo));
  qo.windowBits = 21;
  qo.matches = false;
  WriteSeed(q, "literals", 0x80 | 11, QuantumEncode(text, qo));

  TSampleCabinet cab;
  if (ParseCabinet(ReadFile(root + "/tests/data/cab/mszip_lzx_qtm.cab"), &cab) &&
      cab.folders.size() == 3) {
    WriteSeed(m, "sample", 0, cab.folders[0].blocks);
    WriteSeed(l, "sample", (uint8_t)((cab.folders[1].typeCompress >> 8) - 15), cab.folders[1].blocks);
    WriteSeed(q, "sample", (uint8_t)(0x80 | ((cab.folders[2].typeCompress >> 8) - 10)), cab.folders[2].blocks);
  } else {
    fprintf(stderr, "sample cabinet not found\n");
    return 1;
  }
  return 0;
}
