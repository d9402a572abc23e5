// The yardstick for MSZIP decoding: a plain cabinet's MSZIP blocks inflated
// by zlib, each with the previous block's output as history, into memory.
// Prints the bytes produced; fails on anything it does not expect.
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <vector>

static unsigned Get16(const unsigned char* p) { return p[0] | p[1] << 8; }
static unsigned Get32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | unsigned(p[3]) << 24; }

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_inflate PLAIN.cab\n");
    return 2;
  }
  FILE* f = std::fopen(argv[1], "rb");
  if (!f) return 1;
  std::vector<unsigned char> cab;
  unsigned char buf[1 << 16];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) cab.insert(cab.end(), buf, buf + n);
  std::fclose(f);
  if (cab.size() < 36 || std::memcmp(cab.data(), "MSCF", 4) != 0 || Get16(&cab[30]) != 0) {
    std::fprintf(stderr, "%s: not a plain single cabinet without reserve\n", argv[1]);
    return 1;
  }
  unsigned folders = Get16(&cab[26]);
  z_stream z;
  std::memset(&z, 0, sizeof z);
  if (inflateInit2(&z, -15) != Z_OK) return 1;
  std::vector<unsigned char> out(32768), history;
  unsigned long long total = 0;
  for (unsigned i = 0; i < folders; i++) {
    const unsigned char* folder = &cab[36 + 8 * i];
    size_t at = Get32(folder);
    unsigned blocks = Get16(folder + 4);
    if ((Get16(folder + 6) & 15) != 1) {
      std::fprintf(stderr, "folder %u is not MSZIP\n", i);
      return 1;
    }
    history.clear();
    for (unsigned b = 0; b < blocks; b++) {
      if (at + 8 > cab.size()) return 1;
      unsigned cbData = Get16(&cab[at + 4]), cbUncomp = Get16(&cab[at + 6]);
      const unsigned char* data = &cab[at + 8];
      if (at + 8 + cbData > cab.size() || cbData < 2 || data[0] != 'C' || data[1] != 'K') return 1;
      inflateReset(&z);
      if (!history.empty()) inflateSetDictionary(&z, history.data(), uInt(history.size()));
      z.next_in = const_cast<unsigned char*>(data + 2);
      z.avail_in = cbData - 2;
      z.next_out = out.data();
      z.avail_out = cbUncomp;
      int rc = inflate(&z, Z_FINISH);
      if (rc != Z_STREAM_END || z.avail_out != 0) {
        std::fprintf(stderr, "folder %u block %u does not inflate (%d)\n", i, b, rc);
        return 1;
      }
      history.assign(out.begin(), out.begin() + cbUncomp);
      total += cbUncomp;
      at += 8 + cbData;
    }
  }
  inflateEnd(&z);
  std::printf("%llu\n", total);
  return 0;
}
