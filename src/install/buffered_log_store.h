// The uninstall log as the install run writes it: kept in memory and written
// out whole, in batches. The profile functions rewrite the whole file for
// every key, which for a product of a few thousand files costs more than
// installing them. The run writes the file out at every step boundary, every
// kFlushEvery entries and before it ends (also when it is cancelled or
// fails), so the rollback always reads everything installed; only a crash of
// the process itself can lose the last batch, which then stays on disk
// rather than being removed by mistake.
#pragma once
#include "base/error.h"
#include "uninstall/memory_log_store.h"

class TBufferedLogStore : public TLogStore {
public:
  static const int kFlushEvery = 128;
  explicit TBufferedLogStore(const TStr& path) : path_(path) {}
  const TStr& Path() const { return path_; }

  TStr Read(const char* section, const char* key, const char* fallback) const override {
    return image_.Read(section, key, fallback);
  }
  bool Write(const char* section, const char* key, const TStr& value) override;
  // Writes the whole log to its file (through a fresh file moved over it, so
  // the file is never half-written). False once any write-out failed.
  bool Flush();
  const TError& Failure() const { return failure_; }

private:
  TStr path_;
  TMemoryLogStore image_;
  int pending_ = 0;
  TError failure_;
};
