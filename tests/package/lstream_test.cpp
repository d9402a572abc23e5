#include <doctest/doctest.h>

#include <cstring>
#include <vector>

#include "package/lstream.h"
#include "package/scramble.h"

namespace {

// A package-like file: `prefix` bytes of program, then a cabinet whose first
// 128 bytes are stored scrambled.
struct Fixture {
  std::vector<unsigned char> cabinet;
  TMemoryStream* file = new TMemoryStream;
  TLStream* stream;
  Fixture(size_t prefix, size_t cabinetSize) {
    for (size_t i = 0; i < cabinetSize; i++) cabinet.push_back((unsigned char)(i * 13 + 5));
    std::vector<unsigned char> stored(prefix, 0xEE);
    std::vector<unsigned char> scrambled = cabinet;
    XorCabinetHead(scrambled.data(), scrambled.size());
    stored.insert(stored.end(), scrambled.begin(), scrambled.end());
    file->Write(stored.data(), (int)stored.size());
    stream = new TLStream(file, (long long)stored.size());
    stream->SetOffset((long long)prefix);
    stream->SetScrambled(true);
  }
  ~Fixture() { delete stream; }
};

}  // namespace

TEST_CASE("a read straddling byte 128 takes the head from memory and the rest from the file") {
  Fixture f(1000, 400);
  REQUIRE(f.stream->Seek(100, kSeekBegin) == 100);
  unsigned char buf[50];
  CHECK(f.stream->Read(buf, 50) == 50);
  CHECK(std::memcmp(buf, f.cabinet.data() + 100, 50) == 0);
  CHECK(f.stream->Seek(0, kSeekCurrent) == 150);
}

TEST_CASE("the whole window reads back as the plain cabinet") {
  Fixture f(777, 300);
  std::vector<unsigned char> all(1000);
  CHECK(f.stream->Read(all.data(), 1000) == 300);
  all.resize(300);
  CHECK(all == f.cabinet);
  CHECK(f.stream->Read(all.data(), 10) == 0);  // at the end
}

TEST_CASE("a cabinet shorter than 128 bytes never reads past its end") {
  Fixture f(64, 40);
  unsigned char buf[128];
  std::memset(buf, 0xAA, sizeof buf);
  CHECK(f.stream->Read(buf, 128) == 40);
  CHECK(std::memcmp(buf, f.cabinet.data(), 40) == 0);
  CHECK(buf[40] == 0xAA);
  CHECK(f.stream->Seek(10, kSeekBegin) == 10);
  CHECK(f.stream->Read(buf, 100) == 30);
}

TEST_CASE("seeking: from start, from current (stopped at the window end), from the end") {
  Fixture f(500, 1000);
  CHECK(f.stream->Seek(0, kSeekEnd) == 1000);
  CHECK(f.stream->Seek(10, kSeekEnd) == 990);
  CHECK(f.stream->Seek(-10, kSeekEnd) == 990);
  CHECK(f.stream->Seek(5000, kSeekEnd) == 0);
  CHECK(f.stream->Seek(900, kSeekBegin) == 900);
  CHECK(f.stream->Seek(500, kSeekCurrent) == 1000);  // stops at the window end
  CHECK(f.stream->Seek(-1000, kSeekCurrent) == 0);
  CHECK(f.stream->Seek(-5, kSeekBegin) == 0);        // never before the window
}

TEST_CASE("SetOffset at or beyond the file size leaves the window where it was") {
  TMemoryStream* file = new TMemoryStream;
  std::vector<unsigned char> bytes(100, 7);
  file->Write(bytes.data(), 100);
  TLStream s(file, 100);
  s.SetOffset(100);
  CHECK(s.Base() == 0);
  CHECK(s.Limit() == 100);
  s.SetOffset(-1);
  CHECK(s.Base() == 0);
  s.SetOffset(60);
  CHECK(s.Base() == 60);
  CHECK(s.Limit() == 40);
  CHECK(s.Seek(0, kSeekCurrent) == 0);
}

TEST_CASE("unscrambled reads pass straight through; scrambling twice does nothing more") {
  Fixture f(10, 200);
  f.stream->SetScrambled(false);
  unsigned char b[4];
  f.stream->Seek(0, kSeekBegin);
  f.stream->Read(b, 4);
  CHECK(b[0] == (f.cabinet[0] ^ 0xE1));
  f.stream->SetScrambled(true);
  f.stream->SetScrambled(true);
  f.stream->Seek(0, kSeekBegin);
  f.stream->Read(b, 4);
  CHECK(b[0] == f.cabinet[0]);
}

TEST_CASE("a memory stream grows, reads back and seeks") {
  TMemoryStream m;
  CHECK(m.Write("hello", 5) == 5);
  CHECK(m.Seek(10, kSeekBegin) == 10);
  CHECK(m.Write("x", 1) == 1);
  CHECK(m.Size() == 11);
  CHECK(m.Data()[7] == 0);  // the gap is zero-filled
  char buf[20];
  m.Seek(0, kSeekBegin);
  CHECK(m.Read(buf, 20) == 11);
  CHECK(m.Seek(-1, kSeekBegin) == -1);
}
