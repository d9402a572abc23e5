// A stream over a file of the system, identified by its handle.
#pragma once
#include <stdint.h>

#include "package/stream.h"

class TFileStream : public TStream {
public:
  // Opens an existing file (create = false) or creates/overwrites one.
  // forWrite selects write access; exclusive denies sharing. Check IsOpen().
  TFileStream(const char* path, bool create, bool forWrite, bool exclusive);
  // Takes over an open system handle.
  explicit TFileStream(void* handle) : handle_(handle) {}
  ~TFileStream() override;
  bool IsOpen() const;
  intptr_t Handle() const { return (intptr_t)handle_; }
  long long Size();
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  long long Seek(long long distance, int origin) override;
  // The system error of the last failed operation (0 after a success).
  unsigned LastError() const { return lastError_; }

private:
  void* handle_;
  unsigned lastError_ = 0;
};
