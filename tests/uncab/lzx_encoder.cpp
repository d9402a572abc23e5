#include "lzx_encoder.h"

#include <algorithm>
#include <cstring>

namespace {

const uint32_t kFrame = 32768;

struct TToken {
  uint32_t len;  // 0: literal
  uint32_t value;  // literal byte, or slot << 24 | footer
};

struct TSlots {
  uint32_t base[50];
  unsigned extra[50];
  unsigned count;

  explicit TSlots(unsigned windowBits) {
    count = windowBits == 21 ? 50 : windowBits == 20 ? 42 : windowBits * 2;
    uint32_t b = 0;
    for (unsigned i = 0; i < 50; i++) {
      extra[i] = i < 4 ? 0 : std::min(17u, (i - 2) / 2);
      base[i] = b;
      b += 1u << extra[i];
    }
  }
  unsigned SlotOf(uint32_t formatted) const {
    unsigned s = 0;
    while (s + 1 < count && base[s + 1] <= formatted) s++;
    return s;
  }
};

unsigned MatchLength(const std::vector<uint8_t>& d, uint32_t pos, uint32_t from, unsigned max) {
  unsigned n = 0;
  while (n < max && d[from + n] == d[pos + n]) n++;
  return n;
}

}  // namespace

// Pre-tree items: code, then either run bits or (code 19) a second code.
struct TPreItem {
  unsigned code;
  unsigned bits;
  unsigned value;
  int second;  // -1: none
};

void LzxWriteLengths(TWordWriter* w, const uint8_t* prev, const uint8_t* cur, unsigned first,
                  unsigned last) {
  std::vector<TPreItem> items;
  for (unsigned i = first; i < last;) {
    unsigned same = 1;
    while (i + same < last && cur[i + same] == cur[i]) same++;
    unsigned delta = (prev[i] + 17 - cur[i]) % 17;
    if (cur[i] == 0 && same >= 20) {
      unsigned n = std::min(same, 51u);
      items.push_back({18, 5, n - 20, -1});
      i += n;
    } else if (cur[i] == 0 && same >= 4) {
      unsigned n = std::min(same, 19u);
      items.push_back({17, 4, n - 4, -1});
      i += n;
    } else if (same >= 4) {
      unsigned n = std::min(same, 5u);
      items.push_back({19, 1, n - 4, (int)delta});
      i += n;
    } else {
      items.push_back({delta, 0, 0, -1});
      i++;
    }
  }
  std::vector<uint32_t> freq(20, 0);
  for (const TPreItem& it : items) {
    freq[it.code]++;
    if (it.second >= 0) freq[it.second]++;
  }
  std::vector<uint8_t> lens = LimitedCodeLengths(freq, 15);
  std::vector<uint32_t> codes = CanonicalCodes(lens);
  for (unsigned i = 0; i < 20; i++) w->Put(lens[i], 4);
  for (const TPreItem& it : items) {
    w->Put(codes[it.code], lens[it.code]);
    if (it.bits) w->Put(it.value, it.bits);
    if (it.second >= 0) w->Put(codes[it.second], lens[it.second]);
  }
}


std::vector<uint8_t> LimitedCodeLengths(const std::vector<uint32_t>& freqIn, unsigned limit) {
  std::vector<uint32_t> freq = freqIn;
  size_t n = freq.size();
  unsigned used = 0;
  for (uint32_t f : freq) used += f != 0;
  if (used == 0) return std::vector<uint8_t>(n, 0);
  for (size_t i = 0; used < 2 && i < n; i++)
    if (!freq[i]) freq[i] = 1, used++;
  for (;;) {
    // Plain Huffman construction over (weight, node) pairs.
    std::vector<uint64_t> weight;
    std::vector<int> parent;
    std::vector<int> live;
    std::vector<int> leafNode(n, -1);
    for (size_t i = 0; i < n; i++) {
      if (!freq[i]) continue;
      leafNode[i] = (int)weight.size();
      live.push_back((int)weight.size());
      weight.push_back(freq[i]);
      parent.push_back(-1);
    }
    while (live.size() > 1) {
      std::sort(live.begin(), live.end(), [&](int a, int b) {
        return weight[a] != weight[b] ? weight[a] > weight[b] : a > b;
      });
      int a = live.back();
      live.pop_back();
      int b = live.back();
      live.pop_back();
      int node = (int)weight.size();
      weight.push_back(weight[a] + weight[b]);
      parent.push_back(-1);
      parent[a] = parent[b] = node;
      live.push_back(node);
    }
    std::vector<uint8_t> lens(n, 0);
    unsigned longest = 0;
    for (size_t i = 0; i < n; i++) {
      if (leafNode[i] < 0) continue;
      unsigned depth = 0;
      for (int x = leafNode[i]; parent[x] >= 0; x = parent[x]) depth++;
      lens[i] = (uint8_t)depth;
      longest = std::max(longest, depth);
    }
    if (longest <= limit) return lens;
    for (auto& f : freq)
      if (f) f = (f >> 1) | 1;
  }
}

std::vector<uint32_t> CanonicalCodes(const std::vector<uint8_t>& lens) {
  unsigned count[33] = {0};
  for (uint8_t l : lens) count[l]++;
  count[0] = 0;
  uint32_t next[33] = {0};
  uint32_t code = 0;
  for (unsigned len = 1; len <= 32; len++) {
    code = (code + count[len - 1]) << 1;
    next[len] = code;
  }
  std::vector<uint32_t> codes(lens.size(), 0);
  for (size_t i = 0; i < lens.size(); i++)
    if (lens[i]) codes[i] = next[lens[i]]++;
  return codes;
}

void LzxTranslateCalls(std::vector<uint8_t>* data, uint32_t size) {
  std::vector<uint8_t>& d = *data;
  for (size_t start = 0, frame = 0; start < d.size() && frame < 32768; start += kFrame, frame++) {
    size_t len = std::min<size_t>(kFrame, d.size() - start);
    if (len <= 10) break;
    for (size_t i = 0; i < len - 10;) {
      uint8_t* p = &d[start + i];
      if (*p != 0xE8) {
        i++;
        continue;
      }
      int64_t cur = (int64_t)(start + i);
      int64_t rel = (int32_t)(p[1] | p[2] << 8 | p[3] << 16 | (uint32_t)p[4] << 24);
      int64_t abs = rel;
      int64_t s = (int32_t)size;
      if (rel >= -cur && rel < s - cur)
        abs = rel + cur;
      else if (rel >= s - cur && rel < s)
        abs = rel - s;
      uint32_t v = (uint32_t)abs;
      for (int k = 0; k < 4; k++) p[1 + k] = (uint8_t)(v >> (8 * k));
      i += 5;
    }
  }
}

std::vector<TEncodedBlock> LzxEncode(const std::vector<uint8_t>& input, const TLzxOptions& o) {
  std::vector<uint8_t> d = input;
  if (o.translate && o.translateData) LzxTranslateCalls(&d, o.translationSize);
  const uint32_t n = (uint32_t)d.size();
  const uint32_t windowSize = 1u << o.windowBits;
  const TSlots slots(o.windowBits);
  const unsigned mainSymbols = 256 + 8 * slots.count;

  std::vector<TEncodedBlock> out;
  std::vector<uint8_t> chunk;
  TWordWriter w(&chunk);
  bool byteMode = false;
  uint32_t outPos = 0;
  uint32_t frameEnd = std::min(kFrame, n);
  auto advance = [&](uint32_t bytes) {
    outPos += bytes;
    if (outPos < frameEnd) return;
    if (!byteMode) w.Align();
    TEncodedBlock b;
    b.data = chunk;
    b.outLen = frameEnd - (uint32_t)(out.size() * kFrame);
    out.push_back(b);
    chunk.clear();
    w = TWordWriter(&chunk);
    frameEnd = std::min(frameEnd + kFrame, n);
  };

  w.Put(o.translate ? 1 : 0, 1);
  if (o.translate) {
    w.Put(o.translationSize >> 16, 16);
    w.Put(o.translationSize & 0xFFFF, 16);
  }

  std::vector<uint8_t> prevMain(mainSymbols, 0), prevLen(249, 0);
  uint32_t R[3] = {1, 1, 1};
  std::vector<int32_t> head(1 << 16, -1), chain(n + 1, -1);
  auto hashAt = [&](uint32_t p) { return (d[p] << 8 ^ d[p + 1] << 4 ^ d[p + 2]) & 0xFFFF; };
  auto insert = [&](uint32_t p) {
    if (p + 2 >= n) return;
    unsigned h = hashAt(p);
    chain[p] = head[h];
    head[h] = (int32_t)p;
  };

  bool oddRawPending = false;
  unsigned blockIndex = 0;
  for (uint32_t start = 0; start < n; blockIndex++) {
    uint32_t end = o.blockSize ? std::min(n, start + o.blockSize) : n;
    unsigned type = o.blockTypes[blockIndex % o.blockTypes.size()];
    uint32_t len = end - start;
    if (oddRawPending) chunk.push_back(0);
    oddRawPending = false;
    byteMode = false;
    w.Put(type, 3);
    w.Put(len >> 8, 16);
    w.Put(len & 0xFF, 8);

    if (type == 3) {
      w.Align(true);
      byteMode = true;
      for (uint32_t r : R)
        for (int k = 0; k < 4; k++) chunk.push_back((uint8_t)(r >> (8 * k)));
      for (uint32_t p = start; p < end; p++) {
        chunk.push_back(d[p]);
        insert(p);
        advance(1);
      }
      oddRawPending = len & 1;
      start = end;
      continue;
    }

    // Tokens of the block; matches end at the block's or the frame's end.
    std::vector<TToken> tokens;
    for (uint32_t p = start; p < end;) {
      uint32_t limit = std::min(end, (p / kFrame + 1) * kFrame) - p;
      unsigned maxLen = std::min<uint32_t>(257, limit);
      unsigned best = 0;
      uint32_t bestOff = 0;
      if (o.matches && maxLen >= 2) {
        for (uint32_t r : R) {
          if (r > p) continue;
          unsigned l = MatchLength(d, p, p - r, maxLen);
          if (l >= 2 && l > best) best = l, bestOff = r;
        }
        if (maxLen >= 3 && p + 2 < n) {
          int tries = 32;
          for (int32_t c = head[hashAt(p)]; c >= 0 && tries-- > 0; c = chain[c]) {
            uint32_t off = p - (uint32_t)c;
            if (off > windowSize - 3) break;
            unsigned l = MatchLength(d, p, (uint32_t)c, maxLen);
            if (l >= 3 && l > best + 1) best = l, bestOff = off;
          }
        }
      }
      if (best < 2) {
        tokens.push_back({0, d[p]});
        insert(p);
        p++;
        continue;
      }
      unsigned slot;
      uint32_t footer = 0;
      if (bestOff == R[0]) {
        slot = 0;
      } else if (bestOff == R[1]) {
        slot = 1;
        std::swap(R[0], R[1]);
      } else if (bestOff == R[2]) {
        slot = 2;
        std::swap(R[0], R[2]);
      } else {
        uint32_t formatted = bestOff + 2;
        slot = slots.SlotOf(formatted);
        footer = formatted - slots.base[slot];
        R[2] = R[1];
        R[1] = R[0];
        R[0] = bestOff;
      }
      tokens.push_back({best, slot << 24 | footer});
      for (unsigned k = 0; k < best; k++) insert(p + k);
      p += best;
    }

    std::vector<uint32_t> mainFreq(mainSymbols, 0), lenFreq(249, 0), alignFreq(8, 0);
    for (const TToken& t : tokens) {
      if (!t.len) {
        mainFreq[t.value]++;
        continue;
      }
      unsigned slot = t.value >> 24, l = t.len - 2;
      mainFreq[256 + slot * 8 + std::min(l, 7u)]++;
      if (l >= 7) lenFreq[l - 7]++;
      if (type == 2 && slot >= 3 && slots.extra[slot] >= 3) alignFreq[(t.value & 0xFFFFFF) & 7]++;
    }
    std::vector<uint8_t> mainLens = LimitedCodeLengths(mainFreq, 16);
    std::vector<uint8_t> lenLens = LimitedCodeLengths(lenFreq, 16);
    std::vector<uint8_t> alignLens = LimitedCodeLengths(alignFreq, 7);
    if (type == 2 && std::all_of(alignLens.begin(), alignLens.end(), [](uint8_t l) { return l == 0; }))
      alignLens.assign(8, 3);  // a complete aligned tree even when unused
    std::vector<uint32_t> mainCodes = CanonicalCodes(mainLens), lenCodes = CanonicalCodes(lenLens),
                          alignCodes = CanonicalCodes(alignLens);
    if (type == 2)
      for (unsigned i = 0; i < 8; i++) w.Put(alignLens[i], 3);
    LzxWriteLengths(&w, prevMain.data(), mainLens.data(), 0, 256);
    LzxWriteLengths(&w, prevMain.data(), mainLens.data(), 256, mainSymbols);
    LzxWriteLengths(&w, prevLen.data(), lenLens.data(), 0, 249);
    prevMain = mainLens;
    prevLen = lenLens;

    for (const TToken& t : tokens) {
      if (!t.len) {
        w.Put(mainCodes[t.value], mainLens[t.value]);
        advance(1);
        continue;
      }
      unsigned slot = t.value >> 24, l = t.len - 2;
      uint32_t footer = t.value & 0xFFFFFF;
      unsigned sym = 256 + slot * 8 + std::min(l, 7u);
      w.Put(mainCodes[sym], mainLens[sym]);
      if (l >= 7) w.Put(lenCodes[l - 7], lenLens[l - 7]);
      if (slot >= 3) {
        unsigned extra = slots.extra[slot];
        if (type == 2 && extra >= 3) {
          w.Put(footer >> 3, extra - 3);
          w.Put(alignCodes[footer & 7], alignLens[footer & 7]);
        } else {
          w.Put(footer, extra);
        }
      }
      advance(t.len);
    }
    start = end;
  }
  return out;
}
