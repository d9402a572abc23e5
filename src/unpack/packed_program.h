// The release setup.exe carries the setup program, a library, compressed.
// The loader unpacks it into memory, checks it against the checksum taken
// when it was built, and writes it to a file, which the system then loads:
// nothing of it runs from memory the loader allocated.
//
// Layout (little-endian 32-bit words): "KSPL", the program's size in bytes,
// its CRC-32, the LZMA properties (lc | lp << 8 | pb << 16), the count of
// code ranges, per range its file offset and size, then the bytes as one raw
// LZMA stream (lzma_decoder.h). In the code ranges the targets of E8/E9 calls
// and jumps are stored relative to the start of the file; unpacking restores
// them before the checksum is compared.
//
// Everything here is portable and checks every offset: a damaged payload is
// refused, never followed outside the memory it owns.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "unpack/lzma_decoder.h"

struct TPackedProgram {
  uint32_t size;
  uint32_t crc;
  TLzmaProperties properties;
  uint32_t codeRangeCount;
  const uint8_t* codeRanges;  // codeRangeCount pairs of words
  const uint8_t* stream;
  size_t streamLength;
};

// Reads the header of a packed program of `length` bytes. False when it is
// not one, or when a code range lies outside the program.
bool ReadPackedProgram(const uint8_t* packed, size_t length, TPackedProgram* info);

// Working memory UnpackProgram needs (ReadPackedProgram has made sure the
// properties are in range).
size_t PackedProgramWorkSize(const TPackedProgram& info);

// Decompresses the program into `program` (info.size bytes), restores the
// call targets and compares the checksum. False when anything does not
// match: the bytes must not be used then.
bool UnpackProgram(const TPackedProgram& info, uint8_t* program, void* work);

// The CRC-32 of zlib and PNG (reflected polynomial 0xEDB88320).
uint32_t Crc32(const uint8_t* data, size_t size);
