#include "uncab/quantum.h"

#include <string.h>

#include "uncab/bit_reader.h"

enum {
  kFrameSize = 32768,
  kPosSlots = 42,
  kLenSlots = 27,
  // Model numbers: 0..3 literals 0x00-0x3F .. 0xC0-0xFF; 4 and 5 the offsets
  // of 3- and 4-byte matches; 6 the offsets and 7 the lengths of longer
  // matches; 8 the selector (0..3 literal model, 4..6 match kind).
  kPos6 = 6,
  kLen6 = 7,
  kSelector = 8,
  kModels = 9,
  kSymbolSlots = 4 * 65 + 25 + 37 + 43 + 28 + 8,
  kRescaleAt = 3800,
};

struct TQtmSymbol {
  uint16_t symbol;
  uint16_t cumFreq;  // frequency of this and all later entries
};

// Entries sorted by falling frequency, plus an end entry of frequency 0.
struct TQtmModel {
  unsigned shiftsLeft;
  unsigned entries;
  TQtmSymbol* syms;
};

struct TQtmCoder {
  uint32_t high, low, code;  // 16-bit values
};

struct TQuantum {
  uint8_t* window;
  uint32_t windowSize;  // at least one frame, so that a frame is contiguous
  uint32_t pos;
  uint32_t framePos;
  bool wrapped;
  bool ended;
  uint32_t posBase[kPosSlots];
  uint8_t posExtra[kPosSlots];
  uint8_t lenBase[kLenSlots];
  uint8_t lenExtra[kLenSlots];
  TQtmModel models[kModels];
  TQtmSymbol syms[kSymbolSlots];
};

static TQtmSymbol* InitModel(TQtmModel* m, TQtmSymbol* syms, unsigned first, unsigned count) {
  m->shiftsLeft = 4;
  m->entries = count;
  m->syms = syms;
  for (unsigned i = 0; i <= count; i++) {
    syms[i].symbol = (uint16_t)(first + i);
    syms[i].cumFreq = (uint16_t)(count - i);
  }
  return syms + count + 1;
}

DecodeResult Quantum_Create(const TDecoderMemory* memory, unsigned windowBits, TQuantum** out) {
  // A window smaller than a frame is kept as large as one: offsets cannot
  // reach further than the real window anyway.
  uint32_t size = (uint32_t)1 << (windowBits < 15 ? 15 : windowBits);
  TQuantum* q = (TQuantum*)memory->alloc(memory->self, sizeof(TQuantum) + size);
  if (!q) return kDecodeNoMemory;
  memset(q, 0, sizeof *q);
  q->window = (uint8_t*)(q + 1);
  q->windowSize = size;

  uint32_t base = 0;
  for (unsigned i = 0; i < kPosSlots; i++) {
    unsigned extra = i < 4 ? 0 : (i - 2) >> 1;
    q->posBase[i] = base;
    q->posExtra[i] = (uint8_t)extra;
    base += (uint32_t)1 << extra;
  }
  base = 0;
  for (unsigned i = 0; i < kLenSlots - 1; i++) {
    unsigned extra = i < 6 ? 0 : (i - 2) >> 2;
    q->lenBase[i] = (uint8_t)base;
    q->lenExtra[i] = (uint8_t)extra;
    base += 1u << extra;
  }
  q->lenBase[kLenSlots - 1] = 254;
  q->lenExtra[kLenSlots - 1] = 0;

  unsigned slots = windowBits * 2;
  TQtmSymbol* s = q->syms;
  for (unsigned i = 0; i < 4; i++) s = InitModel(&q->models[i], s, i * 64, 64);
  s = InitModel(&q->models[4], s, 0, slots < 24 ? slots : 24);
  s = InitModel(&q->models[5], s, 0, slots < 36 ? slots : 36);
  s = InitModel(&q->models[kPos6], s, 0, slots);
  s = InitModel(&q->models[kLen6], s, 0, kLenSlots);
  InitModel(&q->models[kSelector], s, 0, 7);
  *out = q;
  return kDecodeOk;
}

// Halves the frequencies; every 50th time (the first after 4) also re-sorts
// the entries by frequency. The exchange sort is part of the format: the
// order of equal frequencies must come out exactly as the compressor's.
static void RescaleModel(TQtmModel* m) {
  TQtmSymbol* s = m->syms;
  const unsigned n = m->entries;
  if (--m->shiftsLeft) {
    for (unsigned i = n; i-- > 0;) {
      s[i].cumFreq >>= 1;
      if (s[i].cumFreq <= s[i + 1].cumFreq) s[i].cumFreq = (uint16_t)(s[i + 1].cumFreq + 1);
    }
    return;
  }
  m->shiftsLeft = 50;
  for (unsigned i = 0; i < n; i++)
    s[i].cumFreq = (uint16_t)((s[i].cumFreq - s[i + 1].cumFreq + 1) >> 1);
  for (unsigned i = 0; i + 1 < n; i++) {
    for (unsigned j = i + 1; j < n; j++) {
      if (s[i].cumFreq < s[j].cumFreq) {
        TQtmSymbol t = s[i];
        s[i] = s[j];
        s[j] = t;
      }
    }
  }
  for (unsigned i = n; i-- > 0;) s[i].cumFreq = (uint16_t)(s[i].cumFreq + s[i + 1].cumFreq);
}

static unsigned DecodeSymbol(TQtmModel* m, TQtmCoder* c, TBitReader* br) {
  TQtmSymbol* s = m->syms;
  uint32_t range = ((c->high - c->low) & 0xFFFF) + 1;
  uint32_t total = s[0].cumFreq;
  uint32_t target = (((((c->code - c->low) & 0xFFFF) + 1) * total - 1) / range) & 0xFFFF;
  unsigned i = 1;
  while (i < m->entries && s[i].cumFreq > target) i++;
  unsigned symbol = s[i - 1].symbol;
  c->high = (c->low + s[i - 1].cumFreq * range / total - 1) & 0xFFFF;
  c->low = (c->low + s[i].cumFreq * range / total) & 0xFFFF;
  do s[--i].cumFreq += 8;
  while (i);
  if (s[0].cumFreq > kRescaleAt) RescaleModel(m);
  // Shift out settled top bits; an interval straddling the middle closely
  // (underflow) drops its second bit instead. Ends within 32 steps whatever
  // the values, as low loses a bit at every step.
  for (;;) {
    if ((c->low ^ c->high) & 0x8000) {
      if (!(c->low & 0x4000) || (c->high & 0x4000)) break;
      c->code ^= 0x4000;
      c->low &= 0x3FFF;
      c->high |= 0x4000;
    }
    c->low = (c->low << 1) & 0xFFFF;
    c->high = ((c->high << 1) | 1) & 0xFFFF;
    if (br->count == 0) Msb_RefillBytes(br);
    c->code = ((c->code << 1) | Msb_Take(br, 1)) & 0xFFFF;
  }
  return symbol;
}

// Extra bits of an offset or length, read straight from the input (n <= 19).
static uint32_t ReadExtra(TBitReader* br, unsigned n) {
  if (br->count < n) Msb_RefillBytes(br);
  return Msb_Take(br, n);
}

DecodeResult Quantum_Block(TQuantum* q, const uint8_t* in, unsigned inLen, uint8_t* out,
                           unsigned outLen) {
  if (q->ended || outLen == 0 || outLen > kFrameSize) return kDecodeBadData;
  TBitReader br;
  BitReader_Init(&br, in, inLen);
  TQtmCoder c;
  c.high = 0xFFFF;
  c.low = 0;
  c.code = ReadExtra(&br, 16);

  uint8_t* win = q->window;
  const uint32_t mask = q->windowSize - 1;
  const uint32_t end = q->framePos + outLen;
  uint32_t pos = q->pos;
  // Every pass adds at least one byte, so the loop ends; whether the input
  // sufficed is checked once at the end.
  while (pos < end) {
    unsigned selector = DecodeSymbol(&q->models[kSelector], &c, &br);
    if (selector < 4) {
      win[pos++] = (uint8_t)DecodeSymbol(&q->models[selector], &c, &br);
      continue;
    }
    uint32_t len;
    unsigned slot;
    if (selector == 6) {
      unsigned l = DecodeSymbol(&q->models[kLen6], &c, &br);
      len = q->lenBase[l] + ReadExtra(&br, q->lenExtra[l]) + 5;
      slot = DecodeSymbol(&q->models[kPos6], &c, &br);
    } else {
      len = selector - 1;  // 3 or 4
      slot = DecodeSymbol(&q->models[selector], &c, &br);
    }
    uint32_t off = q->posBase[slot] + ReadExtra(&br, q->posExtra[slot]) + 1;
    // A match may neither run past the frame nor reach before the folder.
    if (len > end - pos || off > (q->wrapped ? q->windowSize : pos)) return kDecodeBadData;
    uint8_t* to = win + pos;
    uint32_t from = pos - off;
    for (uint32_t i = 0; i < len; i++) to[i] = win[(from + i) & mask];
    pos += len;
  }
  if (BitReader_Overrun(&br)) return kDecodeBadData;

  memcpy(out, win + q->framePos, outLen);
  q->pos = end;
  q->framePos = end;
  if (end == q->windowSize) {
    q->framePos = q->pos = 0;
    q->wrapped = true;
  }
  if (outLen < kFrameSize) q->ended = true;
  return kDecodeOk;
}
