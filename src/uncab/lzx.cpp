#include "uncab/lzx.h"

#include <string.h>

#include "uncab/bit_reader.h"
#include "uncab/huffman.h"

enum {
  kFrameSize = 32768,
  kMaxSlots = 50,
  kMainMax = 256 + 8 * kMaxSlots,
  kLenSymbols = 249,
  kPreSymbols = 20,
  kAlignSymbols = 8,
  kMainBits = 10,
  kLenBits = 10,
  kPreBits = 6,
  kAlignBits = 7,
  kVerbatim = 1,
  kAligned = 2,
  kUncompressed = 3,
};

struct TLzx {
  uint8_t* window;
  uint32_t windowSize;
  uint32_t pos;          // next window byte to write
  uint32_t framePos;     // where the current frame starts in the window
  bool wrapped;          // the window has been filled once
  bool headerRead;       // the stream's translation header
  bool ended;            // a short, hence last, frame has been decoded
  bool translate;
  bool lenEmpty;
  uint32_t translationSize;
  uint32_t outTotal;     // bytes of the frames before this one
  uint32_t frames;
  uint32_t R[3];         // repeated offsets
  unsigned blockType;
  uint32_t blockLength;
  uint32_t blockRemaining;
  unsigned mainSymbols;
  uint32_t slotBase[kMaxSlots];
  uint8_t slotExtra[kMaxSlots];
  // Lengths persist from block to block: new ones are coded as changes.
  uint8_t mainLens[kMainMax];
  uint8_t lenLens[kLenSymbols];
  uint8_t alignLens[kAlignSymbols];
  uint16_t mainTable[HUFF_TABLE_ENTRIES(kMainBits, kMainMax)];
  uint16_t lenTable[HUFF_TABLE_ENTRIES(kLenBits, kLenSymbols)];
  uint16_t alignTable[HUFF_TABLE_ENTRIES(kAlignBits, kAlignSymbols)];
  uint16_t preTable[HUFF_TABLE_ENTRIES(kPreBits, kPreSymbols)];
};

DecodeResult Lzx_Create(const TDecoderMemory* memory, unsigned windowBits, TLzx** out) {
  uint32_t size = (uint32_t)1 << windowBits;
  TLzx* z = (TLzx*)memory->alloc(memory->self, sizeof(TLzx) + size);
  if (!z) return kDecodeNoMemory;
  memset(z, 0, sizeof *z);
  z->window = (uint8_t*)(z + 1);
  z->windowSize = size;
  z->R[0] = z->R[1] = z->R[2] = 1;
  unsigned slots = windowBits == 21 ? 50 : windowBits == 20 ? 42 : windowBits * 2;
  z->mainSymbols = 256 + 8 * slots;
  uint32_t base = 0;
  for (unsigned i = 0; i < slots; i++) {
    unsigned extra = i < 4 ? 0 : (i - 2) >> 1;
    if (extra > 17) extra = 17;
    z->slotBase[i] = base;
    z->slotExtra[i] = (uint8_t)extra;
    base += (uint32_t)1 << extra;
  }
  *out = z;
  return kDecodeOk;
}

// n <= 17 bits, first bit highest.
static unsigned ReadBits(TBitReader* br, unsigned n) {
  if (br->count < n) Msb_RefillWords(br);
  return Msb_Take(br, n);
}

static int ReadSymbol(const uint16_t* table, unsigned bits, TBitReader* br) {
  if (br->count < kHuffMaxLen) Msb_RefillWords(br);
  return Huffman_DecodeMsb(table, bits, br);
}

// Code lengths first..last-1 through a pre-tree: each code is a change to the
// previous block's length (mod 17) or a run of zeros or of one new length.
static bool ReadLengths(TLzx* z, TBitReader* br, uint8_t* lens, unsigned first, unsigned last) {
  uint8_t pre[kPreSymbols];
  for (unsigned i = 0; i < kPreSymbols; i++) pre[i] = (uint8_t)ReadBits(br, 4);
  if (Huffman_Build(z->preTable, kPreBits, pre, kPreSymbols, false) != 0) return false;
  for (unsigned x = first; x < last;) {
    int code = ReadSymbol(z->preTable, kPreBits, br);
    if (code < 0) return false;
    if (code <= 16) {
      lens[x] = (uint8_t)((lens[x] + 17 - code) % 17);
      x++;
      continue;
    }
    unsigned run;
    uint8_t value = 0;
    if (code == 17) {
      run = 4 + ReadBits(br, 4);
    } else if (code == 18) {
      run = 20 + ReadBits(br, 5);
    } else {
      run = 4 + ReadBits(br, 1);
      code = ReadSymbol(z->preTable, kPreBits, br);
      if (code < 0 || code > 16) return false;
      value = (uint8_t)((lens[x] + 17 - code) % 17);
    }
    if (run > last - x) return false;
    memset(lens + x, value, run);
    x += run;
  }
  return true;
}

static bool ReadBlockHeader(TLzx* z, TBitReader* br) {
  if (z->blockType == kUncompressed && (z->blockLength & 1)) {
    // An odd-length uncompressed block is followed by one pad byte. The
    // reader is at a byte position here: raw bytes never pass through the
    // bit buffer.
    if (br->p >= br->end) return false;
    br->p++;
  }
  // A header needs real input; padding must not yield an endless series of
  // empty blocks.
  if (BitReader_Overrun(br)) return false;
  z->blockType = ReadBits(br, 3);
  uint32_t length = ReadBits(br, 16) << 8;
  length |= ReadBits(br, 8);
  z->blockLength = z->blockRemaining = length;

  switch (z->blockType) {
  case kAligned:
    for (unsigned i = 0; i < kAlignSymbols; i++) z->alignLens[i] = (uint8_t)ReadBits(br, 3);
    if (Huffman_Build(z->alignTable, kAlignBits, z->alignLens, kAlignSymbols, false) != 0)
      return false;
    // the rest is as in a verbatim block
    [[fallthrough]];
  case kVerbatim: {
    if (!ReadLengths(z, br, z->mainLens, 0, 256) ||
        !ReadLengths(z, br, z->mainLens, 256, z->mainSymbols) ||
        Huffman_Build(z->mainTable, kMainBits, z->mainLens, z->mainSymbols, false) != 0 ||
        !ReadLengths(z, br, z->lenLens, 0, kLenSymbols))
      return false;
    // A block without long matches may have no length codes at all; using
    // one then decodes as an error.
    int left = Huffman_Build(z->lenTable, kLenBits, z->lenLens, kLenSymbols, false);
    return left == 0 || left == 65536;
  }
  case kUncompressed: {
    // 1 to 16 bits of padding up to the next 16-bit boundary, then R0..R2 as
    // 32-bit little-endian words and the raw bytes.
    if (br->count < 16) Msb_RefillWords(br);
    unsigned skip = br->count & 15;
    Msb_Drop(br, skip ? skip : 16);
    if (!BitReader_ToBytes(br) || br->end - br->p < 12) return false;
    for (unsigned i = 0; i < 3; i++) {
      const uint8_t* b = br->p + 4 * i;
      z->R[i] = b[0] | b[1] << 8 | b[2] << 16 | (uint32_t)b[3] << 24;
    }
    br->p += 12;
    return true;
  }
  }
  return false;
}

// Literals and matches of a verbatim or aligned block up to window position
// `end` (the end of the frame or of the block, whichever comes first); a
// match must not reach past it.
static bool DecodeSymbols(TLzx* z, TBitReader* br, uint32_t end) {
  uint8_t* win = z->window;
  const uint32_t mask = z->windowSize - 1;
  const bool aligned = z->blockType == kAligned;
  uint32_t pos = z->pos;
  uint32_t R0 = z->R[0], R1 = z->R[1], R2 = z->R[2];
  bool ok = false;
  while (pos < end) {
    // The main-tree read written out here: it is the hot path.
    if (br->count < kHuffMaxLen) Msb_RefillWords(br);
    int sym = Huffman_DecodeMsb(z->mainTable, kMainBits, br);
    if (sym < 256) {
      if (sym < 0) goto done;
      win[pos++] = (uint8_t)sym;
      continue;
    }
    sym -= 256;
    uint32_t len = sym & 7;
    if (len == 7) {
      int more = ReadSymbol(z->lenTable, kLenBits, br);
      if (more < 0) goto done;
      len += more;
    }
    len += 2;
    unsigned slot = (unsigned)sym >> 3;
    uint32_t off;
    if (slot == 0) {
      off = R0;
    } else if (slot == 1) {
      off = R1;
      R1 = R0;
      R0 = off;
    } else if (slot == 2) {
      off = R2;
      R2 = R0;
      R0 = off;
    } else {
      unsigned extra = z->slotExtra[slot];
      off = z->slotBase[slot] - 2;
      if (aligned && extra >= 3) {
        off += ReadBits(br, extra - 3) << 3;
        int low = ReadSymbol(z->alignTable, kAlignBits, br);
        if (low < 0) goto done;
        off += (uint32_t)low;
      } else {
        off += ReadBits(br, extra);
      }
      R2 = R1;
      R1 = R0;
      R0 = off;
    }
    // Nothing before the folder's first byte exists, and offsets from an
    // uncompressed block header are arbitrary.
    if (len > end - pos || off == 0 || off > (z->wrapped ? z->windowSize : pos)) goto done;
    uint8_t* to = win + pos;
    if (off <= pos) {
      const uint8_t* from = to - off;
      if (off >= len) {
        memcpy(to, from, len);
      } else {
        for (uint32_t i = 0; i < len; i++) to[i] = from[i];  // overlapping: a run
      }
    } else {
      // The source wraps round the window's end.
      uint32_t from = pos - off;
      for (uint32_t i = 0; i < len; i++) to[i] = win[(from + i) & mask];
    }
    pos += len;
  }
  ok = true;
done:
  z->pos = pos;
  z->R[0] = R0;
  z->R[1] = R1;
  z->R[2] = R2;
  return ok;
}

// The compressor turned the relative targets of x86 CALL instructions (E8)
// into absolute ones; this turns them back. Positions count from the start of
// the folder.
static void UndoCallTranslation(uint8_t* data, unsigned len, uint32_t start, uint32_t size) {
  for (unsigned i = 0; i < len - 10;) {
    if (data[i] != 0xE8) {
      i++;
      continue;
    }
    uint8_t* p = data + i + 1;
    uint32_t value = p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24;
    int32_t abs = (int32_t)value;
    int32_t cur = (int32_t)(start + i);
    if (abs >= -cur && abs < (int32_t)size) {
      value = abs >= 0 ? value - (uint32_t)cur : value + size;
      p[0] = (uint8_t)value;
      p[1] = (uint8_t)(value >> 8);
      p[2] = (uint8_t)(value >> 16);
      p[3] = (uint8_t)(value >> 24);
    }
    i += 5;
  }
}

DecodeResult Lzx_Block(TLzx* z, const uint8_t* in, unsigned inLen, uint8_t* out,
                       unsigned outLen) {
  // Frames are 32 KiB and sit at 32 KiB steps in the window; only the last
  // may be shorter.
  if (z->ended || outLen == 0 || outLen > kFrameSize) return kDecodeBadData;
  TBitReader br;
  BitReader_Init(&br, in, inLen);
  if (!z->headerRead) {
    if (ReadBits(&br, 1)) {
      uint32_t high = ReadBits(&br, 16);
      z->translationSize = high << 16 | ReadBits(&br, 16);
      z->translate = true;
    }
    z->headerRead = true;
  }
  const uint32_t end = z->framePos + outLen;
  while (z->pos < end) {
    if (z->blockRemaining == 0 && !ReadBlockHeader(z, &br)) return kDecodeBadData;
    uint32_t run = end - z->pos;
    if (run > z->blockRemaining) run = z->blockRemaining;
    if (z->blockType == kUncompressed) {
      if ((uint32_t)(br.end - br.p) < run) return kDecodeBadData;
      memcpy(z->window + z->pos, br.p, run);
      br.p += run;
      z->pos += run;
    } else if (!DecodeSymbols(z, &br, z->pos + run)) {
      return kDecodeBadData;
    }
    z->blockRemaining -= run;
  }
  if (BitReader_Overrun(&br)) return kDecodeBadData;

  memcpy(out, z->window + z->framePos, outLen);
  if (z->translate && z->frames < 32768 && outLen > 10)
    UndoCallTranslation(out, outLen, z->outTotal, z->translationSize);
  z->outTotal += outLen;
  z->frames++;
  z->framePos = end;
  if (end == z->windowSize) {
    z->framePos = z->pos = 0;
    z->wrapped = true;
  }
  if (outLen < kFrameSize) z->ended = true;
  return kDecodeOk;
}
