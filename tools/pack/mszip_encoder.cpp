#include "mszip_encoder.h"

#include <zlib.h>

#include <cstring>
#include <new>

struct TMszipEncoder {
  z_stream z;
};

TMszipEncoder* Mszip_Create(int level, int strategy) {
  TMszipEncoder* e = new (std::nothrow) TMszipEncoder;
  if (!e) return nullptr;
  std::memset(&e->z, 0, sizeof e->z);
  // Raw deflate (negative window bits) with the full 32 KiB window MSZIP uses.
  if (deflateInit2(&e->z, level, Z_DEFLATED, -15, 8, strategy) != Z_OK) {
    delete e;
    return nullptr;
  }
  return e;
}

void Mszip_Destroy(TMszipEncoder* e) {
  if (!e) return;
  deflateEnd(&e->z);
  delete e;
}

static size_t StoredBlock(const uint8_t* in, size_t n, uint8_t* out) {
  out[0] = 'C';
  out[1] = 'K';
  out[2] = 0x01;  // final block, stored
  out[3] = uint8_t(n);
  out[4] = uint8_t(n >> 8);
  out[5] = uint8_t(~n);
  out[6] = uint8_t(~n >> 8);
  std::memcpy(out + 7, in, n);
  return 7 + n;
}

size_t Mszip_Encode(TMszipEncoder* e, const uint8_t* dict, size_t dictLen, const uint8_t* in,
                    size_t n, uint8_t* out) {
  if (!e) return StoredBlock(in, n, out);
  z_stream& z = e->z;
  if (deflateReset(&z) != Z_OK) return StoredBlock(in, n, out);
  if (dictLen > 32768) {
    dict += dictLen - 32768;
    dictLen = 32768;
  }
  if (dictLen && deflateSetDictionary(&z, dict, uInt(dictLen)) != Z_OK) return StoredBlock(in, n, out);
  out[0] = 'C';
  out[1] = 'K';
  z.next_in = const_cast<Bytef*>(in);
  z.avail_in = uInt(n);
  z.next_out = out + 2;
  z.avail_out = uInt(kMszipMaxBlock - 2);
  // Z_FINISH ends with a final block padded to a byte boundary. When the
  // result does not fit (incompressible input), the stored form is smaller.
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) return StoredBlock(in, n, out);
  return kMszipMaxBlock - z.avail_out;
}
