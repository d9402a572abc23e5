#include "package/lstream.h"

#include <string.h>

#include "package/scramble.h"

TLStream::TLStream(TStream* file, long long fileSize)
    : file_(file), fileSize_(fileSize), limit_(fileSize) {
  memset(head_, 0, sizeof head_);
  file_->Seek(0, kSeekBegin);
}

TLStream::~TLStream() { delete file_; }

void TLStream::SetOffset(long long o) {
  if (o < 0 || o >= fileSize_) return;
  if (o != base_) {
    base_ = o;
    if (limit_ > fileSize_ - base_) limit_ = fileSize_ - base_;
  }
  file_->Seek(base_, kSeekBegin);
}

void TLStream::SetScrambled(bool on) {
  if (!on) { scrambled_ = false; return; }
  if (scrambled_) return;
  long long at = file_->Position();
  memset(head_, 0, sizeof head_);
  file_->Seek(base_, kSeekBegin);
  long long want = limit_ < 128 ? limit_ : 128;
  int got = file_->Read(head_, (int)want);
  if (got < 0) got = 0;
  XorCabinetHead(head_, (size_t)got);
  file_->Seek(at, kSeekBegin);
  scrambled_ = true;
}

int TLStream::Read(void* buffer, int count) {
  if (count <= 0) return 0;
  long long r = file_->Position() - base_;
  long long avail = limit_ - r;
  if (r < 0 || avail <= 0) return 0;
  int n = avail < count ? (int)avail : count;
  if (r >= 128 || !scrambled_) return file_->Read(buffer, n);
  // The head comes from memory. It never serves bytes beyond the window, even
  // when the cabinet is shorter than 128 bytes.
  int k = (int)(128 - r);
  if (k > n) k = n;
  memcpy(buffer, head_ + r, (size_t)k);
  file_->Seek(k, kSeekCurrent);
  if (k >= n) return k;
  return k + file_->Read((char*)buffer + k, n - k);
}

int TLStream::Write(const void* buffer, int count) { return 0; }

long long TLStream::Seek(long long distance, int origin) {
  long long abs;
  if (origin == kSeekBegin) {
    abs = base_ + distance;
  } else if (origin == kSeekCurrent) {
    long long r = file_->Position() - base_;
    if (r + distance > limit_) distance = limit_ - r;
    abs = base_ + r + distance;
  } else {
    // From the end: a positive distance counts back from the window end; a
    // negative one does too, as the C runtime's seek reads it.
    if (distance < 0) distance = -distance;
    abs = base_ + limit_ - (distance < limit_ ? distance : limit_);
  }
  if (abs < base_) abs = base_;
  long long p = file_->Seek(abs, kSeekBegin);
  return p < 0 ? -1 : p - base_;
}
