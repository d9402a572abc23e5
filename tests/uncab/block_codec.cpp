#include "block_codec.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "mszip_encoder.h"

namespace {

void* MallocBlock(void*, size_t size) { return malloc(size); }
void FreeBlock(void*, void* block) { free(block); }

void* CountedAlloc(void* self, size_t size) {
  TCountingAllocator* a = static_cast<TCountingAllocator*>(self);
  int n = a->requests++;
  if (a->failFrom >= 0 && n >= a->failFrom) return nullptr;
  void* p = malloc(size);
  if (p) a->live++;
  return p;
}

void CountedFree(void* self, void* block) {
  if (block) static_cast<TCountingAllocator*>(self)->live--;
  free(block);
}

}  // namespace

const TDecoderMemory kHeapMemory = {MallocBlock, FreeBlock, nullptr};

TDecoderMemory TCountingAllocator::Memory() { return {CountedAlloc, CountedFree, this}; }

TDecodeRun DecodeBlocks(uint16_t typeCompress, const std::vector<TEncodedBlock>& blocks) {
  TDecodeRun run;
  TDecoder* d = nullptr;
  run.result = Decoder_Create(typeCompress, &kHeapMemory, &d);
  if (run.result != kDecodeOk) return run;
  for (const TEncodedBlock& b : blocks) {
    // Exactly sized heap copies: one byte too far is an ASan report.
    std::unique_ptr<uint8_t[]> in(new uint8_t[b.data.size() + (b.data.empty() ? 1 : 0)]);
    if (!b.data.empty()) memcpy(in.get(), b.data.data(), b.data.size());
    std::unique_ptr<uint8_t[]> out(new uint8_t[b.outLen ? b.outLen : 1]);
    run.result = Decoder_Block(d, in.get(), (unsigned)b.data.size(), out.get(), b.outLen);
    if (run.result != kDecodeOk) break;
    run.output.insert(run.output.end(), out.get(), out.get() + b.outLen);
    run.blocksDone++;
  }
  Decoder_Destroy(d);
  return run;
}

std::vector<TEncodedBlock> MszipEncode(const std::vector<uint8_t>& input, int level,
                                       int strategy) {
  std::vector<TEncodedBlock> blocks;
  TMszipEncoder* e = Mszip_Create(level, strategy);
  if (!e) return blocks;
  std::vector<uint8_t> out(kMszipMaxBlock);
  for (size_t start = 0; start < input.size(); start += 32768) {
    size_t n = std::min<size_t>(32768, input.size() - start);
    size_t dictLen = std::min<size_t>(start, 32768);
    TEncodedBlock b;
    b.outLen = (unsigned)n;
    size_t used = Mszip_Encode(e, input.data() + start - dictLen, dictLen, input.data() + start, n, out.data());
    b.data.assign(out.begin(), out.begin() + used);
    blocks.push_back(b);
  }
  Mszip_Destroy(e);
  return blocks;
}

std::vector<uint8_t> BytesOf(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

static uint32_t NextRandom(uint32_t* state) {
  *state = *state * 1103515245u + 12345u;
  return *state >> 8;
}

std::vector<uint8_t> TextData(size_t size, uint32_t seed) {
  static const char* const kWords[] = {
      "cabinet", "folder", "window", "setup",  "install", "the",    "of",    "and",
      "program", "file",   "data",   "block",  "a",       "to",     "wizard", "system",
      "library", "Kestin", "frame",  "stream", "offset",  "length", "tree",  "match"};
  std::vector<uint8_t> out;
  out.reserve(size);
  uint32_t state = seed;
  while (out.size() < size) {
    uint32_t r = NextRandom(&state);
    const char* w = kWords[r % (sizeof kWords / sizeof kWords[0])];
    while (*w && out.size() < size) out.push_back((uint8_t)*w++);
    if (out.size() < size) out.push_back(r % 13 == 0 ? '\n' : (r % 7 == 0 ? (uint8_t)(r >> 16) : ' '));
  }
  return out;
}

std::vector<uint8_t> NoiseData(size_t size, uint32_t seed) {
  std::vector<uint8_t> out(size);
  uint32_t state = seed;
  for (auto& b : out) b = (uint8_t)NextRandom(&state);
  return out;
}

void TLsbWriter::Put(uint32_t value, unsigned bits) {
  for (unsigned i = 0; i < bits; i++) {
    acc_ |= (i < 32 ? (value >> i) & 1 : 0) << count_;
    if (++count_ == 8) {
      bytes_.push_back((uint8_t)acc_);
      acc_ = 0;
      count_ = 0;
    }
  }
}

void TLsbWriter::PutCode(uint32_t code, unsigned len) {
  for (unsigned i = len; i-- > 0;) Put((code >> i) & 1, 1);
}

void TLsbWriter::AlignToByte() {
  if (count_) Put(0, 8 - count_);
}

void TLsbWriter::PutByte(uint8_t b) { bytes_.push_back(b); }

std::vector<uint8_t> TLsbWriter::Finish() {
  AlignToByte();
  return bytes_;
}

void TWordWriter::Put(uint32_t value, unsigned bits) {
  for (unsigned i = bits; i-- > 0;) {
    acc_ = (acc_ << 1) | (i < 32 ? (value >> i) & 1 : 0);
    if (++count_ == 16) {
      out_->push_back((uint8_t)acc_);
      out_->push_back((uint8_t)(acc_ >> 8));
      acc_ = 0;
      count_ = 0;
    }
  }
}

void TWordWriter::Align(bool always) {
  if (count_)
    Put(0, 16 - count_);
  else if (always)
    Put(0, 16);
}
