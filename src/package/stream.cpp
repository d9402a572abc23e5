#include "package/stream.h"

#include <stdlib.h>
#include <string.h>

TMemoryStream::~TMemoryStream() { free(data_); }

int TMemoryStream::Read(void* buffer, int count) {
  if (count <= 0 || pos_ >= size_) return 0;
  size_t n = size_ - pos_;
  if (n > (size_t)count) n = (size_t)count;
  memcpy(buffer, data_ + pos_, n);
  pos_ += n;
  return (int)n;
}

int TMemoryStream::Write(const void* buffer, int count) {
  if (count <= 0) return 0;
  size_t end = pos_ + (size_t)count;
  if (end > cap_) {
    size_t c = cap_ ? cap_ : 4096;
    while (c < end) c *= 2;
    char* p = (char*)realloc(data_, c);
    if (!p) return 0;  // the caller sees a short write and fails the copy
    data_ = p;
    cap_ = c;
  }
  if (pos_ > size_) memset(data_ + size_, 0, pos_ - size_);
  memcpy(data_ + pos_, buffer, (size_t)count);
  pos_ = end;
  if (end > size_) size_ = end;
  return count;
}

long long TMemoryStream::Seek(long long distance, int origin) {
  long long base = origin == kSeekBegin ? 0 : origin == kSeekCurrent ? (long long)pos_ : (long long)size_;
  long long p = base + distance;
  if (p < 0) return -1;
  pos_ = (size_t)p;
  return p;
}
