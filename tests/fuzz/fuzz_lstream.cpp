// The package window under any sequence of offsets, seeks and reads: never
// reads outside the window, never returns more than asked, and its bytes are
// always the descrambled cabinet.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "package/lstream.h"
#include "package/scramble.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  size_t fileSize = (size_t(data[0]) | size_t(data[1]) << 8) % 2048;
  size_t offset = data[2] | size_t(data[3]) << 8;
  std::vector<uint8_t> file(fileSize);
  for (size_t i = 0; i < fileSize; i++) file[i] = uint8_t(i * 7 + 3);
  std::vector<uint8_t> plain = file;  // what the window must show
  if (offset < fileSize) XorCabinetHeadAt(file.data() + offset, fileSize - offset, 0);
  TMemoryStream* m = new TMemoryStream;
  if (fileSize) m->Write(file.data(), int(fileSize));
  TLStream s(m, (long long)fileSize);
  s.SetOffset((long long)offset);
  s.SetScrambled(true);
  long long base = s.Base();
  uint8_t buf[600];
  for (size_t i = 4; i + 2 < size; i += 3) {
    int op = data[i] % 4;
    int value = int(data[i + 1] | data[i + 2] << 8) - 20000;
    if (op == 0) s.Seek(value, kSeekBegin);
    else if (op == 1) s.Seek(value, kSeekCurrent);
    else if (op == 2) s.Seek(value, kSeekEnd);
    else {
      long long at = s.Seek(0, kSeekCurrent);
      int want = abs(value) % int(sizeof buf);
      int got = s.Read(buf, want);
      if (got < 0 || got > want) abort();
      if (at < 0 || at + got > s.Limit()) abort();
      // Only a window that really starts at the offset shows the plain bytes.
      if (base == (long long)offset)
        for (int k = 0; k < got; k++)
          if (buf[k] != plain[size_t(base + at + k)]) abort();
    }
  }
  return 0;
}
