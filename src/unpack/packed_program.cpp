#include "unpack/packed_program.h"

namespace {

const uint32_t kMagic = 0x4C50534B;  // "KSPL"
const size_t kHeaderBytes = 20;

// Little-endian words, as the packer writes them.
uint32_t Get32(const uint8_t* p) { return p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24; }

void Put32(uint8_t* p, uint32_t v) {
  p[0] = (uint8_t)v;
  p[1] = (uint8_t)(v >> 8);
  p[2] = (uint8_t)(v >> 16);
  p[3] = (uint8_t)(v >> 24);
}

// x86 calls and jumps (E8, E9) hold their target relative to the next
// instruction; the packer stores it relative to the start of the file
// instead, so that every call of one function reads the same and compresses
// better. The same walk finds the same opcode bytes whether a word was
// converted or not, so the change is undone exactly, data that merely looks
// like a call included.
void RestoreCallTargets(uint8_t* program, uint32_t at, uint32_t size) {
  const uint32_t end = at + size;
  while (end - at >= 5) {
    if ((program[at] & 0xFE) == 0xE8) {
      Put32(program + at + 1, Get32(program + at + 1) - (at + 5));
      at += 5;
    } else {
      at++;
    }
  }
}

}  // namespace

bool ReadPackedProgram(const uint8_t* packed, size_t length, TPackedProgram* info) {
  if (length < kHeaderBytes || Get32(packed) != kMagic) return false;
  info->size = Get32(packed + 4);
  info->crc = Get32(packed + 8);
  uint32_t properties = Get32(packed + 12);
  info->properties = TLzmaProperties{properties & 0xFF, (properties >> 8) & 0xFF, (properties >> 16) & 0xFF};
  info->codeRangeCount = Get32(packed + 16);
  size_t rest = length - kHeaderBytes;
  if (info->size == 0 || info->codeRangeCount > rest / 8 || LzmaWorkSize(info->properties) == 0) return false;
  info->codeRanges = packed + kHeaderBytes;
  info->stream = info->codeRanges + info->codeRangeCount * 8;
  info->streamLength = rest - info->codeRangeCount * 8;
  for (uint32_t i = 0; i < info->codeRangeCount; i++) {
    uint32_t at = Get32(info->codeRanges + 8 * i), size = Get32(info->codeRanges + 8 * i + 4);
    if (at > info->size || size > info->size - at) return false;
  }
  return true;
}

size_t PackedProgramWorkSize(const TPackedProgram& info) { return LzmaWorkSize(info.properties); }

bool UnpackProgram(const TPackedProgram& info, uint8_t* program, void* work) {
  if (!LzmaDecode(info.stream, info.streamLength, program, info.size, info.properties, work)) return false;
  for (uint32_t i = 0; i < info.codeRangeCount; i++)
    RestoreCallTargets(program, Get32(info.codeRanges + 8 * i), Get32(info.codeRanges + 8 * i + 4));
  return Crc32(program, info.size) == info.crc;
}

uint32_t Crc32(const uint8_t* data, size_t size) {
  // Bit by bit: no table to carry, and the program is checked once.
  uint32_t crc = 0xFFFFFFFF;
  for (size_t i = 0; i < size; i++) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; bit++) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}
