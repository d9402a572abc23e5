// The cabinet container: the on-disk records (CFHEADER, CFFOLDER, CFFILE,
// CFDATA), their parsing from bytes already in memory, and the block checksum.
// Nothing here does I/O; every parse call is told how many bytes it may look
// at and refuses rather than reads past them.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Header flag bits.
const uint16_t kCabFlagPrev = 0x0001;
const uint16_t kCabFlagNext = 0x0002;
const uint16_t kCabFlagReserve = 0x0004;

// Folder indices in CFFILE that name a folder shared with a neighbouring
// cabinet of a set.
const uint16_t kCabFolderContinuedFromPrev = 0xFFFD;
const uint16_t kCabFolderContinuedToNext = 0xFFFE;
const uint16_t kCabFolderContinuedBoth = 0xFFFF;

const unsigned kCabHeaderFixedSize = 36;  // CFHEADER up to and including iCabinet
const unsigned kCabFolderFixedSize = 8;   // CFFOLDER without its reserved area
const unsigned kCabFileFixedSize = 16;    // CFFILE without its name
const unsigned kCabDataFixedSize = 8;     // CFDATA without its reserved area and data
const unsigned kCabMaxName = 256;         // longest stored name, terminator included

struct TCabHeader {
  uint32_t cbCabinet;
  uint32_t coffFiles;
  uint16_t cFolders;
  uint16_t cFiles;
  uint16_t flags;
  uint16_t setID;
  uint16_t iCabinet;
  uint16_t cbHeaderReserve;
  uint8_t cbFolderReserve;
  uint8_t cbDataReserve;
  // Offset of the first CFFOLDER (just behind the optional names).
  uint32_t coffFolders;
  char prevCabinet[kCabMaxName];
  char prevDisk[kCabMaxName];
  char nextCabinet[kCabMaxName];
  char nextDisk[kCabMaxName];
};

struct TCabFolder {
  uint32_t coffCabStart;  // first CFDATA block
  uint16_t cCFData;       // blocks of this folder in this cabinet
  uint16_t typeCompress;
};

struct TCabFile {
  uint32_t cbFile;
  uint32_t uoffFolderStart;
  uint16_t iFolder;  // as stored, continuation markers included
  uint16_t date;
  uint16_t time;
  uint16_t attribs;
  char* name;        // points into the parsed bytes, zero-terminated
};

enum CabParseResult {
  kCabOk = 0,
  kCabNeedMore,     // the bytes end before the record does
  kCabNotCabinet,   // wrong signature
  kCabBadVersion,   // not version 1.3
  kCabCorrupt,      // a field contradicts the format
};

// Parses the fixed part of CFHEADER (kCabHeaderFixedSize bytes at `p`):
// signature, version, counts, flags, set identity. The optional reserve sizes
// and set names that follow are read by the caller; coffFolders is left 0.
CabParseResult Cab_ParseFixedHeader(const uint8_t* p, TCabHeader* h);

// Parses one CFFOLDER at `p`; `n` bytes are available, the record with its
// reserved area takes kCabFolderFixedSize + cbFolderReserve.
CabParseResult Cab_ParseFolder(const uint8_t* p, size_t n, TCabFolder* f);

// Parses one CFFILE at `p` (`n` bytes available). The name must end with a
// zero byte within kCabMaxName bytes and inside `n`, and must not be empty.
// *used receives the record's length, name included.
CabParseResult Cab_ParseFile(uint8_t* p, size_t n, TCabFile* f, size_t* used);

// The CFDATA checksum: the data bytes folded into 32-bit words, then the
// block's cbData and cbUncomp fields folded on top. A stored checksum of 0
// means "not computed".
uint32_t Cab_Checksum(const uint8_t* p, size_t n, uint32_t seed);
uint32_t Cab_BlockChecksum(const uint8_t* data, unsigned cbData, unsigned cbUncomp);

inline uint16_t Cab_Get16(const uint8_t* p) { return (uint16_t)(p[0] | (p[1] << 8)); }
inline uint32_t Cab_Get32(const uint8_t* p) {
  return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}
