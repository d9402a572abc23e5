#include "quantum_encoder.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

const uint32_t kFrame = 32768;

class TModel {
public:
  TModel(unsigned first, unsigned count) : count_(count), sym_(count + 1), freq_(count + 1) {
    for (unsigned i = 0; i <= count; i++) {
      sym_[i] = first + i;
      freq_[i] = count - i;
    }
  }
  unsigned Count() const { return count_; }
  unsigned IndexOf(unsigned symbol) const {
    for (unsigned i = 0; i < count_; i++)
      if (sym_[i] == symbol) return i;
    throw std::logic_error("symbol outside the model");
  }
  unsigned CumFreq(unsigned i) const { return freq_[i]; }
  // After coding entry k: entries up to k gain 8; past 3800 in all, rescale.
  void Update(unsigned k) {
    for (unsigned i = 0; i <= k; i++) freq_[i] += 8;
    if (freq_[0] <= 3800) return;
    if (--shifts_) {
      for (unsigned i = count_; i-- > 0;) {
        freq_[i] >>= 1;
        if (freq_[i] <= freq_[i + 1]) freq_[i] = freq_[i + 1] + 1;
      }
      return;
    }
    shifts_ = 50;
    for (unsigned i = 0; i < count_; i++) freq_[i] = (freq_[i] - freq_[i + 1] + 1) >> 1;
    for (unsigned i = 0; i + 1 < count_; i++)
      for (unsigned j = i + 1; j < count_; j++)
        if (freq_[i] < freq_[j]) {
          std::swap(freq_[i], freq_[j]);
          std::swap(sym_[i], sym_[j]);
        }
    for (unsigned i = count_; i-- > 0;) freq_[i] += freq_[i + 1];
  }

private:
  unsigned count_;
  unsigned shifts_ = 4;
  std::vector<unsigned> sym_;
  std::vector<unsigned> freq_;
};

// One frame's coder. Extra bits bypass the coder but the decoder reads them
// from the stream while its code register holds the next 16 coder bits, so
// they are placed 16 coder bits after the point where they are written.
class TFrameCoder {
public:
  void Encode(TModel* m, unsigned symbol) {
    unsigned k = m->IndexOf(symbol);
    uint32_t range = high_ - low_ + 1, total = m->CumFreq(0);
    uint32_t lo = low_;
    high_ = (lo + m->CumFreq(k) * range / total - 1) & 0xFFFF;
    low_ = (lo + m->CumFreq(k + 1) * range / total) & 0xFFFF;
    m->Update(k);
    for (;;) {
      if (!((low_ ^ high_) & 0x8000)) {
        Emit(high_ >> 15);
      } else if ((low_ & 0x4000) && !(high_ & 0x4000)) {
        pending_++;
        low_ &= 0x3FFF;
        high_ |= 0x4000;
      } else {
        break;
      }
      low_ = (low_ << 1) & 0xFFFF;
      high_ = ((high_ << 1) | 1) & 0xFFFF;
      shifts_++;
    }
  }
  void Raw(uint32_t value, unsigned bits) {
    if (bits) raw_.push_back({shifts_ + 16, {value, bits}});
  }
  std::vector<uint8_t> Finish(unsigned trailingZeros) {
    // The decoder's register ends up holding `low`, which lies in range.
    Emit(low_ >> 15);
    for (unsigned b = 15; b-- > 0;) bits_.push_back((low_ >> b) & 1);
    std::vector<uint8_t> stream;
    size_t r = 0;
    for (size_t i = 0; i <= bits_.size(); i++) {
      for (; r < raw_.size() && raw_[r].first == i; r++)
        for (unsigned b = raw_[r].second.second; b-- > 0;)
          stream.push_back((raw_[r].second.first >> b) & 1);
      if (i < bits_.size()) stream.push_back(bits_[i]);
    }
    std::vector<uint8_t> bytes((stream.size() + 7) / 8 + trailingZeros, 0);
    for (size_t i = 0; i < stream.size(); i++)
      if (stream[i]) bytes[i / 8] |= (uint8_t)(0x80 >> (i % 8));
    return bytes;
  }

private:
  void Emit(unsigned bit) {
    bits_.push_back((uint8_t)bit);
    for (; pending_; pending_--) bits_.push_back((uint8_t)!bit);
  }
  uint32_t low_ = 0, high_ = 0xFFFF;
  size_t shifts_ = 0;
  unsigned pending_ = 0;
  std::vector<uint8_t> bits_;
  std::vector<std::pair<size_t, std::pair<uint32_t, unsigned>>> raw_;
};

}  // namespace

struct TQuantumWriter::TState {
  uint32_t posBase[42], lenBase[27];
  unsigned posExtra[42], lenExtra[27];
  std::vector<TModel> lit;
  TModel pos4, pos5, pos6, len6, selector;
  TFrameCoder coder;

  explicit TState(unsigned windowBits)
      : pos4(0, std::min(windowBits * 2, 24u)), pos5(0, std::min(windowBits * 2, 36u)),
        pos6(0, windowBits * 2), len6(0, 27), selector(0, 7) {
    for (unsigned i = 0, b = 0; i < 42; i++) {
      posExtra[i] = i < 4 ? 0 : (i - 2) / 2;
      posBase[i] = b;
      b += 1u << posExtra[i];
    }
    for (unsigned i = 0, b = 0; i < 26; i++) {
      lenExtra[i] = i < 6 ? 0 : (i - 2) / 4;
      lenBase[i] = b;
      b += 1u << lenExtra[i];
    }
    lenBase[26] = 254;
    lenExtra[26] = 0;
    for (unsigned i = 0; i < 4; i++) lit.emplace_back(i * 64, 64);
  }
};

static unsigned SlotOf(const uint32_t* base, unsigned count, uint32_t v) {
  unsigned s = 0;
  while (s + 1 < count && base[s + 1] <= v) s++;
  return s;
}

TQuantumWriter::TQuantumWriter(unsigned windowBits) : s_(new TState(windowBits)) {}
TQuantumWriter::~TQuantumWriter() = default;

bool TQuantumWriter::CanMatch(unsigned len, uint32_t offset) const {
  if (len < 3 || len > 259 || offset == 0) return false;
  unsigned slot = SlotOf(s_->posBase, 42, offset - 1);
  if (len == 3) return slot < s_->pos4.Count();
  if (len == 4) return slot < s_->pos5.Count();
  return slot < s_->pos6.Count();
}

void TQuantumWriter::Literal(uint8_t c) {
  s_->coder.Encode(&s_->selector, c >> 6);
  s_->coder.Encode(&s_->lit[c >> 6], c);
}

void TQuantumWriter::Match(unsigned len, uint32_t offset) {
  unsigned slot = SlotOf(s_->posBase, 42, offset - 1);
  if (len == 3 || len == 4) {
    s_->coder.Encode(&s_->selector, len + 1);
    s_->coder.Encode(len == 3 ? &s_->pos4 : &s_->pos5, slot);
  } else {
    unsigned ls = SlotOf(s_->lenBase, 27, len - 5);
    s_->coder.Encode(&s_->selector, 6);
    s_->coder.Encode(&s_->len6, ls);
    s_->coder.Raw(len - 5 - s_->lenBase[ls], s_->lenExtra[ls]);
    s_->coder.Encode(&s_->pos6, slot);
  }
  s_->coder.Raw(offset - 1 - s_->posBase[slot], s_->posExtra[slot]);
}

TEncodedBlock TQuantumWriter::EndFrame(unsigned outLen, unsigned trailingZeros) {
  TEncodedBlock b;
  b.data = s_->coder.Finish(trailingZeros);
  b.outLen = outLen;
  s_->coder = TFrameCoder();
  return b;
}

std::vector<TEncodedBlock> QuantumEncode(const std::vector<uint8_t>& input,
                                         const TQuantumOptions& o) {
  TQuantumWriter writer(o.windowBits);
  const uint32_t window = 1u << o.windowBits;
  const uint32_t n = (uint32_t)input.size();
  const std::vector<uint8_t>& d = input;
  std::vector<int32_t> head(1 << 16, -1), chain(n + 1, -1);
  auto hashAt = [&](uint32_t p) { return (d[p] << 8 ^ d[p + 1] << 4 ^ d[p + 2]) & 0xFFFF; };
  auto insert = [&](uint32_t p) {
    if (p + 2 >= n) return;
    chain[p] = head[hashAt(p)];
    head[hashAt(p)] = (int32_t)p;
  };

  std::vector<TEncodedBlock> out;
  for (uint32_t start = 0; start < n; start += kFrame) {
    uint32_t end = std::min(n, start + kFrame);
    for (uint32_t p = start; p < end;) {
      unsigned best = 0;
      uint32_t bestOff = 0;
      unsigned maxLen = std::min<uint32_t>(259, end - p);
      if (o.matches && maxLen >= 3) {
        int tries = 32;
        for (int32_t c = head[hashAt(p)]; c >= 0 && tries-- > 0; c = chain[c]) {
          uint32_t off = p - (uint32_t)c;
          if (off > window) break;
          unsigned l = 0;
          while (l < maxLen && d[c + l] == d[p + l]) l++;
          if (l > best && writer.CanMatch(l, off)) best = l, bestOff = off;
        }
      }
      if (best == 0) {
        writer.Literal(d[p]);
        insert(p);
        p++;
        continue;
      }
      writer.Match(best, bestOff);
      for (unsigned k = 0; k < best; k++) insert(p + k);
      p += best;
    }
    out.push_back(writer.EndFrame(end - start, o.trailingZeros));
  }
  return out;
}
