// The test cabinet writer must itself be right, or every test built on it
// proves nothing: cabextract is the independent judge.
#include <doctest/doctest.h>

#include <cstdlib>

#include "cab_builder.h"
#include "test_files.h"

TEST_CASE("test cabinets are valid for an independent reader, checksums included") {
  std::string dir = NewScratchFolder("cabbuilder");
  std::vector<TCabEntry> files(3);
  files[0].name = "a.txt";
  files[0].data = std::vector<uint8_t>{'h', 'i', '\n'};
  files[1].name = "sub\\b.bin";
  for (int i = 0; i < 70000; i++) files[1].data.push_back(uint8_t(i * 31 + (i >> 8)));
  files[2].name = "empty.txt";
  REQUIRE(WriteWholeFile(dir + "t.cab", BuildStoredCabinet(files)));
  std::string cmd = "cd '" + dir + "' && cabextract -q t.cab >/dev/null 2>&1";
  REQUIRE(std::system(cmd.c_str()) == 0);
  CHECK(ReadWholeFile(dir + "a.txt") == files[0].data);
  CHECK(ReadWholeFile(dir + "sub/b.bin") == files[1].data);
  CHECK(ReadWholeFile(dir + "empty.txt").empty());
}
