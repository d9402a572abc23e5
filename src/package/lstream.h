// TLStream: a window onto a file that starts at a given position and runs to
// the file's end, so the cabinet inside a package reads like a file of its
// own. The window's first 128 bytes can be served descrambled from memory.
#pragma once
#include "package/stream.h"

class TLStream : public TStream {
public:
  // Takes ownership of `file`, whose current size is fileSize.
  TLStream(TStream* file, long long fileSize);
  ~TLStream() override;

  // Moves the window start to absolute position o. Ignored for o < 0 or
  // o >= the file size.
  void SetOffset(long long o);
  void SetScrambled(bool on);

  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  // Positions are relative to the window start.
  long long Seek(long long distance, int origin) override;

  TStream* File() const { return file_; }
  long long Base() const { return base_; }
  long long Limit() const { return limit_; }

private:
  TStream* file_;
  long long base_ = 0;
  long long fileSize_;
  long long limit_;
  bool scrambled_ = false;
  unsigned char head_[128];
};
