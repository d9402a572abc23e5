// Whole cabinets through Fdi_Copy over memory callbacks, every file wanted.
// Every open finds the same bytes, so a cabinet that names a next one also
// drives the set code (with a cabinet that is usually the wrong one).
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "uncab/fdi_types.h"

namespace {

const uint8_t* g_data;
size_t g_size;
size_t g_pos[8];
bool g_open[8];
size_t g_written;
volatile uint8_t g_sink;
const size_t kMaxOutput = 64u << 20;  // a few blocks of LZX can promise gigabytes

void* FDI_CALL Alloc(uint32_t cb) { return malloc(cb ? cb : 1); }
void FDI_CALL Free(void* p) { free(p); }
intptr_t FDI_CALL Open(char*, int, int) {
  for (intptr_t h = 1; h < 8; ++h)
    if (!g_open[h]) {
      g_open[h] = true;
      g_pos[h] = 0;
      return h;
    }
  return -1;
}
unsigned FDI_CALL Read(intptr_t hf, void* pv, unsigned cb) {
  if (hf < 1 || hf >= 8 || !g_open[hf]) return (unsigned)-1;
  size_t pos = g_pos[hf];
  size_t n = pos >= g_size ? 0 : (cb < g_size - pos ? cb : g_size - pos);
  memcpy(pv, g_data + pos, n);
  g_pos[hf] += n;
  return (unsigned)n;
}
unsigned FDI_CALL Write(intptr_t, void* pv, unsigned cb) {
  // Touch the bytes so a sanitizer sees any that were never written.
  for (unsigned i = 0; i < cb; i += 64) g_sink = g_sink ^ ((uint8_t*)pv)[i];
  if (g_written + cb > kMaxOutput) return 0;
  g_written += cb;
  return cb;
}
int FDI_CALL Close(intptr_t hf) {
  if (hf >= 1 && hf < 8) g_open[hf] = false;
  return 0;
}
int32_t FDI_CALL Seek(intptr_t hf, int32_t dist, int type) {
  if (hf < 1 || hf >= 8 || !g_open[hf]) return -1;
  int64_t base = type == 0 ? 0 : type == 1 ? (int64_t)g_pos[hf] : (int64_t)g_size;
  int64_t pos = base + dist;
  if (pos < 0 || pos > 0x7FFFFFFF) return -1;
  g_pos[hf] = (size_t)pos;
  return (int32_t)pos;
}
intptr_t FDI_CALL Notify(int type, TFdiNotification* n) {
  switch (type) {
    case kFdintCopyFile: return 1000;
    case kFdintCloseFileInfo: return 1;
    case kFdintNextCabinet: return 1;
    default: return 0;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  g_data = data;
  g_size = size;
  g_written = 0;
  memset(g_open, 0, sizeof g_open);
  TFdiError error = {};
  TFdiContext fdi = Fdi_Create(Alloc, Free, Open, Read, Write, Close, Seek, -1, &error);
  if (!fdi) abort();
  char name[] = "fuzz.cab";
  char path[] = "";
  // Twice: the second call takes up the folder the first one kept.
  for (int round = 0; round < 2; ++round) {
    int ok = Fdi_Copy(fdi, name, path, 0, Notify, nullptr, nullptr);
    // A failed copy always says why; no handle is left open either way.
    if (!ok && (!error.flag || error.oper <= kFdiNone || error.oper > kFdiUserAbort)) abort();
    for (int h = 1; h < 8; ++h)
      if (g_open[h]) abort();
  }
  TFdiCabinetInfo info;
  intptr_t hf = Open(name, 0, 0);
  Fdi_IsCabinet(fdi, hf, &info);
  Close(hf);
  if (!Fdi_Destroy(fdi)) abort();
  return 0;
}
