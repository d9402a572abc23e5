#include "uncab/cab_input.h"

#include <string.h>

namespace {

const int kSeekSet = 0;

bool PlaceFile(TCabSource* in, uint32_t pos) {
  if (in->filePos == pos) return true;
  if (pos > 0x7FFFFFFFu || in->io->seek(in->io->self, in->hf, (int32_t)pos, kSeekSet) != (int32_t)pos) {
    in->filePos = 0xFFFFFFFFu;
    return false;
  }
  in->filePos = pos;
  return true;
}

// Reads up to `n` bytes at `pos` straight into `dst`; the count read, 0 on failure.
uint32_t ReadAt(TCabSource* in, uint32_t pos, uint8_t* dst, uint32_t n) {
  if (!PlaceFile(in, pos)) return 0;
  unsigned got = in->io->read(in->io->self, in->hf, dst, n);
  if (got == (unsigned)-1 || got > n) {
    in->filePos = 0xFFFFFFFFu;
    return 0;
  }
  in->filePos = pos + got;
  return got;
}

}  // namespace

void Input_Init(TCabSource* in, const TFdiIo* io, intptr_t hf, uint8_t* buf, uint32_t bufCap) {
  in->io = io;
  in->hf = hf;
  in->limit = 0xFFFFFFFFu;
  in->filePos = 0;
  in->pos = 0;
  in->buf = buf;
  in->bufCap = bufCap;
  in->bufStart = 0;
  in->bufLen = 0;
}

bool Input_Reaches(TCabSource* in, uint32_t pos) {
  if (pos >= in->bufStart && pos - in->bufStart < in->bufLen) return true;
  uint8_t byte;
  return ReadAt(in, pos, &byte, 1) == 1;
}

bool Input_Seek(TCabSource* in, uint32_t pos) {
  if (pos > in->limit) return false;
  in->pos = pos;
  return true;
}

bool Input_Skip(TCabSource* in, uint32_t n) {
  if (n > in->limit - in->pos) return false;
  in->pos += n;
  return true;
}

bool Input_Read(TCabSource* in, void* dst, uint32_t n) {
  uint8_t* out = (uint8_t*)dst;
  if (n > in->limit - in->pos) return false;
  while (n) {
    if (in->pos >= in->bufStart && in->pos - in->bufStart < in->bufLen) {
      uint32_t at = in->pos - in->bufStart;
      uint32_t k = in->bufLen - at;
      if (k > n) k = n;
      memcpy(out, in->buf + at, k);
      out += k;
      in->pos += k;
      n -= k;
      continue;
    }
    if (n >= in->bufCap) {
      // Block data: one read of the whole rest, no copy through the buffer.
      uint32_t got = ReadAt(in, in->pos, out, n);
      if (got != n) return false;
      in->pos += n;
      return true;
    }
    uint32_t want = in->limit - in->pos;
    if (want > in->bufCap) want = in->bufCap;
    in->bufLen = 0;
    uint32_t got = ReadAt(in, in->pos, in->buf, want);
    if (got == 0) return false;
    in->bufStart = in->pos;
    in->bufLen = got;
  }
  return true;
}

bool Input_ReadRecord(TCabSource* in, void* dst, uint32_t n) {
  if (n > in->limit - in->pos) return false;
  if (in->pos >= in->bufStart && in->pos - in->bufStart + (uint64_t)n <= in->bufLen)
    return Input_Read(in, dst, n);
  if (ReadAt(in, in->pos, (uint8_t*)dst, n) != n) return false;
  in->pos += n;
  return true;
}

bool Input_ReadName(TCabSource* in, char* dst, uint32_t cap) {
  for (uint32_t i = 0; i < cap; ++i) {
    if (!Input_Read(in, dst + i, 1)) return false;
    if (dst[i] == 0) return true;
  }
  return false;
}
