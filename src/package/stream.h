// Byte streams of the cabinet layer: a base with the three operations the
// cabinet callbacks need, and a growing in-memory stream for texts that are
// extracted into memory.
#pragma once
#include <stddef.h>

enum { kSeekBegin = 0, kSeekCurrent = 1, kSeekEnd = 2 };

class TStream {
public:
  virtual ~TStream() {}
  // Bytes actually read or written; 0 at the end or on failure.
  virtual int Read(void* buffer, int count) = 0;
  virtual int Write(const void* buffer, int count) = 0;
  // New position from the stream's start, or -1 on failure.
  virtual long long Seek(long long distance, int origin) = 0;
  long long Position() { return Seek(0, kSeekCurrent); }
};

class TMemoryStream : public TStream {
public:
  ~TMemoryStream() override;
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  long long Seek(long long distance, int origin) override;
  const char* Data() const { return data_; }
  size_t Size() const { return size_; }

private:
  char* data_ = nullptr;
  size_t size_ = 0, cap_ = 0, pos_ = 0;
};
