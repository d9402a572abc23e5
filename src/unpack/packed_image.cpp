#include "unpack/packed_image.h"

#include <string.h>

#include "uncab/cab_format.h"

namespace {

const uint32_t kMagic = 0x4950534B;  // "KSPI"
const size_t kHeaderWords = 14;
const size_t kSectionBytes = 12;

// Little-endian words, read as the cabinet records are.
uint32_t Get32(const uint8_t* p) { return Cab_Get32(p); }

uint64_t Get64(const uint8_t* p) { return Get32(p) | (uint64_t)Get32(p + 4) << 32; }

void Put32(uint8_t* p, uint32_t v) {
  p[0] = (uint8_t)v;
  p[1] = (uint8_t)(v >> 8);
  p[2] = (uint8_t)(v >> 16);
  p[3] = (uint8_t)(v >> 24);
}

void Put64(uint8_t* p, uint64_t v) {
  Put32(p, (uint32_t)v);
  Put32(p + 4, (uint32_t)(v >> 32));
}

// [rva, rva + size) lies inside an image of `imageSize` bytes.
bool Inside(uint32_t imageSize, uint32_t rva, uint32_t size) {
  return rva <= imageSize && size <= imageSize - rva;
}

// A NUL-terminated name starting at `rva`, or null when it runs off the image.
const char* NameAt(const uint8_t* image, uint32_t imageSize, uint32_t rva) {
  if (rva >= imageSize) return nullptr;
  return memchr(image + rva, 0, imageSize - rva) ? (const char*)image + rva : nullptr;
}

// x86 calls and jumps (E8, E9) hold their target relative to the next
// instruction; the packer stores it relative to the image start instead, so
// that every call of one function reads the same and compresses better. The
// same walk finds the same opcode bytes whether a word was converted or not,
// so the change is undone exactly, data that merely looks like a call
// included.
void RestoreCallTargets(uint8_t* image, const TPackedSection& code) {
  uint32_t at = code.rva;
  const uint32_t end = code.rva + code.size;
  while (end - at >= 5) {
    if ((image[at] & 0xFE) == 0xE8) {
      Put32(image + at + 1, Get32(image + at + 1) - (at + 5));
      at += 5;
    } else {
      at++;
    }
  }
}

}  // namespace

bool ReadPackedImageInfo(const uint8_t* packed, size_t length, TPackedImageInfo* info) {
  if (length < kHeaderWords * 4 || Get32(packed) != kMagic) return false;
  const uint8_t* p = packed + 4;
  info->imageSize = Get32(p);
  info->entryRva = Get32(p + 4);
  info->importRva = Get32(p + 8);
  info->relocRva = Get32(p + 12);
  info->relocSize = Get32(p + 16);
  info->functionTableRva = Get32(p + 20);
  info->functionTableSize = Get32(p + 24);
  info->imageBase = Get64(p + 28);
  info->dataRva = Get32(p + 36);
  info->dataSize = Get32(p + 40);
  info->sectionCount = Get32(p + 44);
  uint32_t properties = Get32(p + 48);
  info->properties = TLzmaProperties{properties & 0xFF, (properties >> 8) & 0xFF, (properties >> 16) & 0xFF};
  size_t rest = length - kHeaderWords * 4;
  if (info->sectionCount > rest / kSectionBytes || LzmaWorkSize(info->properties) == 0) return false;
  info->sections = packed + kHeaderWords * 4;
  info->stream = info->sections + info->sectionCount * kSectionBytes;
  info->streamLength = rest - info->sectionCount * kSectionBytes;

  uint32_t size = info->imageSize;
  if (size == 0 || info->entryRva >= size || !Inside(size, info->importRva, 20) ||
      !Inside(size, info->relocRva, info->relocSize) ||
      !Inside(size, info->functionTableRva, info->functionTableSize) ||
      !Inside(size, info->dataRva, info->dataSize))
    return false;
  for (uint32_t i = 0; i < info->sectionCount; i++) {
    TPackedSection s = PackedImageSection(*info, i);
    if (!Inside(size, s.rva, s.size)) return false;
  }
  return true;
}

TPackedSection PackedImageSection(const TPackedImageInfo& info, uint32_t index) {
  const uint8_t* p = info.sections + index * kSectionBytes;
  return TPackedSection{Get32(p), Get32(p + 4), Get32(p + 8)};
}

size_t PackedImageWorkSize(const TPackedImageInfo& info) { return LzmaWorkSize(info.properties); }

bool DecompressPackedImage(const TPackedImageInfo& info, uint8_t* image, void* work) {
  if (!LzmaDecode(info.stream, info.streamLength, image + info.dataRva, info.dataSize, info.properties, work))
    return false;
  for (uint32_t i = 0; i < info.sectionCount; i++) {
    TPackedSection s = PackedImageSection(info, i);
    if (s.access & kAccessExecute) RestoreCallTargets(image, s);
  }
  return true;
}

bool RelocateImage(uint8_t* image, const TPackedImageInfo& info, uint64_t loadedBase, bool pe64) {
  uint64_t delta = loadedBase - info.imageBase;
  const uint8_t* p = image + info.relocRva;
  uint32_t left = info.relocSize;
  while (left >= 8) {
    uint32_t page = Get32(p);
    uint32_t blockSize = Get32(p + 4);
    if (blockSize < 8 || blockSize > left || (blockSize & 1)) return false;
    for (uint32_t at = 8; at < blockSize; at += 2) {
      unsigned entry = p[at] | p[at + 1] << 8;
      unsigned type = entry >> 12;
      uint32_t rva = page + (entry & 0xFFF);
      if (type == 0) continue;  // padding to a 4-byte block size
      if (rva < page) return false;
      if (type == 3 && !pe64 && Inside(info.imageSize, rva, 4)) {
        Put32(image + rva, Get32(image + rva) + (uint32_t)delta);
      } else if (type == 10 && pe64 && Inside(info.imageSize, rva, 8)) {
        Put64(image + rva, Get64(image + rva) + delta);
      } else {
        return false;
      }
    }
    p += blockSize;
    left -= blockSize;
  }
  return left == 0;
}

bool BindImageImports(uint8_t* image, const TPackedImageInfo& info, bool pe64,
                      const TImportResolver& resolver, TImportFailure* failure) {
  const uint32_t size = info.imageSize;
  const uint32_t slot = pe64 ? 8 : 4;
  *failure = TImportFailure{nullptr, nullptr, 0};
  for (uint32_t d = info.importRva;; d += 20) {
    if (!Inside(size, d, 20)) return false;
    const uint8_t* descriptor = image + d;
    uint32_t lookupRva = Get32(descriptor);
    uint32_t nameRva = Get32(descriptor + 12);
    uint32_t addressRva = Get32(descriptor + 16);
    if (nameRva == 0 && addressRva == 0) return true;
    const char* library = NameAt(image, size, nameRva);
    if (!library) return false;
    failure->library = library;
    void* handle = resolver.openLibrary(resolver.self, library);
    if (!handle) return false;
    if (lookupRva == 0) lookupRva = addressRva;
    for (uint32_t i = 0;; i++) {
      uint32_t lookup = lookupRva + i * slot;
      uint32_t address = addressRva + i * slot;
      if (!Inside(size, lookup, slot) || !Inside(size, address, slot)) {
        failure->library = nullptr;
        return false;
      }
      uint64_t entry = pe64 ? Get64(image + lookup) : Get32(image + lookup);
      if (entry == 0) break;
      bool byOrdinal = pe64 ? (entry >> 63) != 0 : (entry >> 31) != 0;
      const char* name = nullptr;
      uint32_t ordinal = 0;
      if (byOrdinal) {
        ordinal = (uint32_t)(entry & 0xFFFF);
      } else {
        name = (uint32_t)entry <= size - 2 ? NameAt(image, size, (uint32_t)entry + 2) : nullptr;
        if (!name || (entry >> 32) != 0) {
          failure->library = nullptr;
          return false;
        }
      }
      uint64_t function = resolver.findFunction(resolver.self, handle, name, ordinal);
      if (function == 0) {
        failure->function = name;
        failure->ordinal = ordinal;
        return false;
      }
      if (pe64)
        Put64(image + address, function);
      else
        Put32(image + address, (uint32_t)function);
    }
  }
}
