// The release setup.exe carries the setup program's image compressed: a small
// loader inflates it into memory it allocates, applies the base relocations,
// binds the imports and gives each section its access (code read and execute,
// data read and write, never both writable and executable), then jumps to the
// image's entry point. The resources stay in the loader's own file, where the
// system, the package builder and signing tools expect them.
//
// Layout of the packed image (little-endian 32-bit words unless said):
//   "KSPI", image size, entry RVA, import directory RVA,
//   relocation directory RVA and size, function table RVA and size (64-bit
//   images; zero otherwise), preferred image base (two words, low first),
//   RVA and length of the bytes to unpack, section count, LZMA properties
//   (lc | lp << 8 | pb << 16), per section: RVA, size, access (kAccess*
//   bits), then the bytes as one raw LZMA stream (lzma_decoder.h).
// In executable sections the targets of E8/E9 calls and jumps are stored
// relative to the image start; unpacking restores them.
//
// Everything here is portable and checks every offset against the image:
// a damaged payload is refused, never followed outside the memory it owns.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "unpack/lzma_decoder.h"

enum {
  kAccessRead = 1,
  kAccessWrite = 2,
  kAccessExecute = 4,
};

struct TPackedSection {
  uint32_t rva;
  uint32_t size;
  uint32_t access;
};

struct TPackedImageInfo {
  uint32_t imageSize;
  uint32_t entryRva;
  uint32_t importRva;
  uint32_t relocRva;
  uint32_t relocSize;
  uint32_t functionTableRva;
  uint32_t functionTableSize;
  uint64_t imageBase;
  uint32_t dataRva;
  uint32_t dataSize;
  uint32_t sectionCount;
  TLzmaProperties properties;
  const uint8_t* sections;  // sectionCount entries of three words
  const uint8_t* stream;
  size_t streamLength;
};

// Reads the header of a packed image of `length` bytes. False when it is not
// one or when a field points outside the image it describes.
bool ReadPackedImageInfo(const uint8_t* packed, size_t length, TPackedImageInfo* info);

TPackedSection PackedImageSection(const TPackedImageInfo& info, uint32_t index);

// Working memory DecompressPackedImage needs (ReadPackedImageInfo has made
// sure the properties are in range).
size_t PackedImageWorkSize(const TPackedImageInfo& info);

// Decompresses the packed bytes into `image` (info.imageSize bytes, zeroed by
// the caller) and restores the call targets. False when the stream is
// damaged or does not give exactly dataSize bytes.
bool DecompressPackedImage(const TPackedImageInfo& info, uint8_t* image, void* work);

// Adds (loadedBase - info.imageBase) to every address the relocation table
// names. `pe64` selects 64-bit images. False for an unknown relocation type or
// an entry outside the image.
bool RelocateImage(uint8_t* image, const TPackedImageInfo& info, uint64_t loadedBase, bool pe64);

// Where the imported functions come from. `openLibrary` returns a handle, or
// null when the library cannot be loaded; `findFunction` returns the
// function's address, or 0, for a name or (name null) an ordinal.
struct TImportResolver {
  void* (*openLibrary)(void* self, const char* library);
  uint64_t (*findFunction)(void* self, void* library, const char* name, uint32_t ordinal);
  void* self;
};

// What failed while binding: the library, and the function (null for the
// library itself or a damaged table; `ordinal` set for an import by number).
struct TImportFailure {
  const char* library;
  const char* function;
  uint32_t ordinal;
};

// Fills every import address slot of the image. False with `failure` filled
// when a library or function is missing or the tables are damaged (then
// library is null).
bool BindImageImports(uint8_t* image, const TPackedImageInfo& info, bool pe64,
                      const TImportResolver& resolver, TImportFailure* failure);
