#include "install/space_text.h"

TStr KilobyteText(long long bytes) { return IntToStr((bytes < 0 ? 0 : bytes) / 1024) + "K"; }

long long RequiredBytes(const long long* sizes, const bool* checked, int count) {
  long long total = 0;
  for (int i = 0; i < count; i++)
    if (checked[i]) total += sizes[i];
  return total;
}

bool HasRoomFor(long long required, long long available) { return available < 0 || required <= available; }
