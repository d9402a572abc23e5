// The pieces of the cabinet writer that the end-to-end tests reach only
// indirectly: folder layout, MSZIP blocks, the checksum.
#include <doctest/doctest.h>

#include <zlib.h>

#include <cstring>
#include <vector>

#include "cab_builder.h"
#include "cab_records.h"
#include "cab_writer.h"
#include "mszip_encoder.h"
#include "pack_test_support.h"

namespace {

std::vector<TCabInput> Sizes(std::initializer_list<uint64_t> sizes) {
  std::vector<TCabInput> v;
  for (uint64_t s : sizes) {
    TCabInput in;
    in.size = s;
    v.push_back(in);
  }
  return v;
}

// Inflates one MSZIP block the way a decoder does: with the previous block's
// output as history.
std::vector<uint8_t> Inflate(const uint8_t* block, size_t n, const std::vector<uint8_t>& history) {
  REQUIRE(n >= 2);
  REQUIRE(block[0] == 'C');
  REQUIRE(block[1] == 'K');
  z_stream z;
  std::memset(&z, 0, sizeof z);
  REQUIRE(inflateInit2(&z, -15) == Z_OK);
  if (!history.empty()) REQUIRE(inflateSetDictionary(&z, history.data(), uInt(history.size())) == Z_OK);
  std::vector<uint8_t> out(40000);
  z.next_in = const_cast<uint8_t*>(block + 2);
  z.avail_in = uInt(n - 2);
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  int rc = inflate(&z, Z_FINISH);
  CHECK(rc == Z_STREAM_END);
  CHECK(z.avail_in == 0);  // the block ends with its final deflate block
  out.resize(z.total_out);
  inflateEnd(&z);
  return out;
}

}  // namespace

TEST_CASE("small files share a folder up to 64 KiB; larger ones get their own") {
  CHECK(Cab_PlanFolders(Sizes({100, 200, 65236}), 65536) == std::vector<uint32_t>{0, 0, 0});
  CHECK(Cab_PlanFolders(Sizes({100, 200, 65237}), 65536) == std::vector<uint32_t>{0, 0, 1});
  CHECK(Cab_PlanFolders(Sizes({30000, 35536, 1}), 65536) == std::vector<uint32_t>{0, 0, 1});
  CHECK(Cab_PlanFolders(Sizes({100000, 10, 20}), 65536) == std::vector<uint32_t>{0, 1, 1});
  CHECK(Cab_PlanFolders(Sizes({10, 100000, 0}), 65536) == std::vector<uint32_t>{0, 1, 2});
  CHECK(Cab_PlanFolders(Sizes({0, 0, 0}), 65536) == std::vector<uint32_t>{0, 0, 0});
}

TEST_CASE("MSZIP blocks decode alone given the previous block as history") {
  std::vector<uint8_t> data = packtest::SomeBytes(3 * 32768, 5);
  // The third block repeats what came 20000 bytes before it: only the
  // dictionary can find its start.
  for (size_t i = 65536; i < data.size(); i++) data[i] = data[i - 20000];
  TMszipEncoder* e = Mszip_Create(6);
  REQUIRE(e);
  std::vector<uint8_t> block(kMszipMaxBlock), history;
  for (int i = 0; i < 3; i++) {
    CAPTURE(i);
    const uint8_t* in = &data[size_t(i) * 32768];
    size_t n = Mszip_Encode(e, history.data(), history.size(), in, 32768, block.data());
    if (i == 2) CHECK(n < 2000);
    CHECK(Inflate(block.data(), n, history) == std::vector<uint8_t>(in, in + 32768));
    history.assign(in, in + 32768);
  }
  Mszip_Destroy(e);
}

TEST_CASE("incompressible input stays within one stored deflate block") {
  std::vector<uint8_t> noise(32768);
  uint32_t x = 12345;
  for (uint8_t& b : noise) b = uint8_t((x = x * 1664525u + 1013904223u) >> 24);
  TMszipEncoder* e = Mszip_Create(9);
  std::vector<uint8_t> block(kMszipMaxBlock);
  size_t n = Mszip_Encode(e, nullptr, 0, noise.data(), noise.size(), block.data());
  CHECK(n <= kMszipMaxBlock);
  CHECK(Inflate(block.data(), n, {}) == noise);
  // A short block at a folder's end, too.
  n = Mszip_Encode(e, noise.data(), 100, noise.data() + 100, 1, block.data());
  CHECK(Inflate(block.data(), n, std::vector<uint8_t>(noise.begin(), noise.begin() + 100)) ==
        std::vector<uint8_t>{noise[100]});
  Mszip_Destroy(e);
}

TEST_CASE("data blocks carry their checksum over data and length fields") {
  for (size_t n : {0, 1, 2, 3, 5, 8, 1000}) {
    CAPTURE(n);
    std::vector<uint8_t> data = packtest::SomeBytes(n, 7);
    std::vector<uint8_t> record;
    Cab_AppendDataBlock(&record, data.data(), n, unsigned(n));
    uint32_t stored = record[0] | record[1] << 8 | record[2] << 16 | uint32_t(record[3]) << 24;
    // Checked against the test writer's independent implementation.
    CHECK(stored == CabBlockChecksum(data.data(), n, uint16_t(n), uint16_t(n)));
  }
}
