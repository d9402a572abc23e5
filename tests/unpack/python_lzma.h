// Raw LZMA streams from the Python standard library's encoder, as
// scripts/pack-program.py makes them: the oracle of the loader's decoder.
#pragma once
#include <doctest/doctest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "test_files.h"
#include "unpack/lzma_decoder.h"

inline std::vector<uint8_t> PythonLzma(const std::vector<uint8_t>& data, const TLzmaProperties& p) {
  std::string dir = NewScratchFolder("lzma");
  REQUIRE(WriteWholeFile(dir + "in", data));
  std::string command = "python3 -c \"import lzma,sys; d=open(sys.argv[1],'rb').read(); "
                        "f=[{'id':lzma.FILTER_LZMA1,'preset':9|lzma.PRESET_EXTREME,'lc':" +
                        std::to_string(p.literalContextBits) + ",'lp':" + std::to_string(p.literalPositionBits) +
                        ",'pb':" + std::to_string(p.positionBits) +
                        ",'dict_size':1<<20}]; open(sys.argv[2],'wb').write("
                        "lzma.compress(d,format=lzma.FORMAT_RAW,filters=f))\" " +
                        dir + "in " + dir + "out";
  REQUIRE(system(command.c_str()) == 0);
  return ReadWholeFile(dir + "out");
}
