// The loader's unpacking on programs packed here and by the packer itself:
// call targets, the checksum, and damaged payloads.
#include <doctest/doctest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "python_lzma.h"
#include "test_files.h"
#include "unpack/packed_program.h"

namespace {

typedef std::vector<uint8_t> Bytes;

void Set32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
}
uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }

const size_t kHeader = 20 + 8;  // the header and one code range

// A program of 0x3000 bytes with code at 0x400..0xC00: a call whose target
// the packer stored file-relative (0x1100, written at 0x410), bytes that only
// look like a jump, and a last E8 too close to the range's end to carry a
// target. `original` is the program as built.
struct TTestProgram {
  Bytes stored = Bytes(0x3000), original;
  TTestProgram() {
    // Outside the code, bytes that look like calls everywhere.
    for (size_t i = 0; i < stored.size(); i++) stored[i] = (i < 0x400 || i >= 0xC00) ? (uint8_t)(0xE8 + i % 2) : 0;
    stored[0x410] = 0xE8;
    Set32(stored, 0x411, 0x1100);
    stored[0x420] = 0xE9;
    Set32(stored, 0x421, 0x1234);
    stored[0xBFD] = 0xE8;
    original = stored;
    Set32(original, 0x411, 0x1100 - 0x415);
    Set32(original, 0x421, 0x1234 - 0x425);
  }
  Bytes Pack(uint32_t crc) const {
    Bytes out(kHeader);
    memcpy(out.data(), "KSPL", 4);
    Set32(out, 4, (uint32_t)stored.size());
    Set32(out, 8, crc);
    Set32(out, 12, 3);  // lc 3, lp 0, pb 0
    Set32(out, 16, 1);
    Set32(out, 20, 0x400);
    Set32(out, 24, 0x800);
    Bytes stream = PythonLzma(stored, {3, 0, 0});
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
  }
  Bytes Pack() const { return Pack(Crc32(original.data(), original.size())); }
};

bool Unpack(const Bytes& packed, Bytes* program) {
  TPackedProgram info;
  if (!ReadPackedProgram(packed.data(), packed.size(), &info)) return false;
  program->assign(info.size, 0);
  std::vector<uint16_t> work(PackedProgramWorkSize(info) / 2);
  return UnpackProgram(info, program->data(), work.data());
}

}  // namespace

TEST_CASE("a packed program unpacks to the bytes that were built, or not at all") {
  TTestProgram source;
  const Bytes good = source.Pack();
  Bytes program;
  REQUIRE(Unpack(good, &program));
  // Call and jump targets are relative to the next instruction again; the
  // cut-off E8 at the range's end and everything outside the range are left
  // alone.
  CHECK(program == source.original);
  CHECK(Crc32((const uint8_t*)"123456789", 9) == 0xCBF43926u);

  SUBCASE("a checksum that does not match") { CHECK_FALSE(Unpack(source.Pack(0x12345678), &program)); }
  SUBCASE("every single-bit flip of the stream's last bytes") {
    // These decode, when they decode at all, to other bytes: the checksum
    // must refuse every one of them.
    for (size_t at = good.size() - 64; at < good.size(); at++) {
      for (int bit = 0; bit < 8; bit++) {
        Bytes bad = good;
        bad[at] ^= (uint8_t)(1 << bit);
        CAPTURE(at);
        if (Unpack(bad, &program)) CHECK(program == source.original);
      }
    }
  }
  SUBCASE("every shortened payload") {
    for (size_t n = 0; n < good.size(); n++) {
      Bytes cut(good.begin(), good.begin() + n);  // its own allocation, so ASan sees any overrun
      CAPTURE(n);
      if (Unpack(cut, &program)) CHECK(program == source.original);
    }
  }
  SUBCASE("header fields out of range") {
    TPackedProgram info;
    const std::pair<size_t, uint32_t> fields[] = {
        {0, 0x4950534B}, {4, 0},     {12, 0x00000009}, {12, 0x00000500},  // magic, size, lc+lp, pb
        {16, 0x20000000}, {20, 0x2FFF}, {24, 0x2C01}, {20, 0xFFFFFFF0}};  // ranges: count, outside, wrapping
    for (auto f : fields) {
      Bytes bad = good;
      Set32(bad, f.first, f.second);
      CAPTURE(f.first);
      CHECK_FALSE(ReadPackedProgram(bad.data(), bad.size(), &info));
    }
  }
}

TEST_CASE("the packer's output for the real setup program unpacks to the library byte for byte") {
  // The Windows trees beside this one hold setup-program.dll when they are built.
  for (const char* tree : {"win32", "win64"}) {
    std::string program = std::string(KESTIN_BINARY_DIR) + "/../" + tree + "/setup-program.dll";
    if (ReadWholeFile(program).empty()) {
      MESSAGE("no " << program << "; make " << tree << " first");
      continue;
    }
    CAPTURE(tree);
    std::string out = std::string(KESTIN_BINARY_DIR) + "/tests/packed-" + tree + ".bin";
    std::string command = "python3 " + std::string(KESTIN_SOURCE_DIR) + "/scripts/pack-program.py " + program +
                          " " + out + " >/dev/null";
    REQUIRE(system(command.c_str()) == 0);
    Bytes unpacked;
    REQUIRE(Unpack(ReadWholeFile(out), &unpacked));
    CHECK(unpacked == ReadWholeFile(program));
  }
}
