#include "uncab/cab_format.h"

CabParseResult Cab_ParseFixedHeader(const uint8_t* p, TCabHeader* h) {
  if (p[0] != 'M' || p[1] != 'S' || p[2] != 'C' || p[3] != 'F') return kCabNotCabinet;
  // versionMinor at 24, versionMajor at 25. Only 1.3 has ever been written;
  // another version may lay out its records differently, so it is refused.
  if (p[25] != 1 || p[24] != 3) return kCabBadVersion;
  h->cbCabinet = Cab_Get32(p + 8);
  h->coffFiles = Cab_Get32(p + 16);
  h->cFolders = Cab_Get16(p + 26);
  h->cFiles = Cab_Get16(p + 28);
  h->flags = Cab_Get16(p + 30);
  h->setID = Cab_Get16(p + 32);
  h->iCabinet = Cab_Get16(p + 34);
  h->cbHeaderReserve = 0;
  h->cbFolderReserve = 0;
  h->cbDataReserve = 0;
  h->coffFolders = 0;
  h->prevCabinet[0] = h->prevDisk[0] = h->nextCabinet[0] = h->nextDisk[0] = 0;
  if (h->cbCabinet < kCabHeaderFixedSize) return kCabCorrupt;
  return kCabOk;
}

CabParseResult Cab_ParseFolder(const uint8_t* p, size_t n, TCabFolder* f) {
  if (n < kCabFolderFixedSize) return kCabNeedMore;
  f->coffCabStart = Cab_Get32(p);
  f->cCFData = Cab_Get16(p + 4);
  f->typeCompress = Cab_Get16(p + 6);
  return kCabOk;
}

CabParseResult Cab_ParseFile(uint8_t* p, size_t n, TCabFile* f, size_t* used) {
  if (n < kCabFileFixedSize + 1) return kCabNeedMore;
  f->cbFile = Cab_Get32(p);
  f->uoffFolderStart = Cab_Get32(p + 4);
  f->iFolder = Cab_Get16(p + 8);
  f->date = Cab_Get16(p + 10);
  f->time = Cab_Get16(p + 12);
  f->attribs = Cab_Get16(p + 14);
  char* name = (char*)p + kCabFileFixedSize;
  size_t room = n - kCabFileFixedSize;
  if (room > kCabMaxName) room = kCabMaxName;
  size_t len = 0;
  while (len < room && name[len]) ++len;
  if (len == room) return room == kCabMaxName ? kCabCorrupt : kCabNeedMore;
  if (len == 0) return kCabCorrupt;
  f->name = name;
  *used = kCabFileFixedSize + len + 1;
  return kCabOk;
}

uint32_t Cab_Checksum(const uint8_t* p, size_t n, uint32_t seed) {
  uint32_t sum = seed;
  size_t words = n / 4;
  for (size_t i = 0; i < words; ++i, p += 4) sum ^= Cab_Get32(p);
  // The trailing bytes are folded in reverse significance: the first of
  // three lands in bits 16..23. Writers compute it this way, so we must too.
  uint32_t tail = 0;
  switch (n & 3) {
    case 3: tail |= (uint32_t)*p++ << 16; [[fallthrough]];
    case 2: tail |= (uint32_t)*p++ << 8; [[fallthrough]];
    case 1: tail |= *p; break;
    default: break;
  }
  return sum ^ tail;
}

uint32_t Cab_BlockChecksum(const uint8_t* data, unsigned cbData, unsigned cbUncomp) {
  uint8_t sizes[4] = {(uint8_t)cbData, (uint8_t)(cbData >> 8), (uint8_t)cbUncomp,
                      (uint8_t)(cbUncomp >> 8)};
  return Cab_Checksum(sizes, 4, Cab_Checksum(data, cbData, 0));
}
