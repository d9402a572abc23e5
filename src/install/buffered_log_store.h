// The uninstall log as the install run writes it: kept in memory and written
// out whole, in batches. The profile functions rewrite the whole file for
// every key, which for a product of a few thousand files costs more than
// installing them. The run writes the file out at every step boundary, every
// kFlushEvery entries and before it ends (also when it is cancelled or
// fails), so the rollback always reads everything installed; only a crash of
// the process itself can lose the last batch, which then stays on disk
// rather than being removed by mistake.
//
// Every write-out also brings the log's record (uninstall/log_record.h) up
// to the same bytes: this store is the one way the install writes its log,
// so no writer can leave the record behind.
#pragma once
#include "base/error.h"
#include "base/run_host.h"
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
  // Writes the whole log to its file and to its record, each through a fresh
  // file moved over it, so neither is ever half-written; the record is in
  // place before the log is. False once any write-out failed.
  bool Flush();
  // Continues the log of a finished run (the writes after it and at Finish):
  // the keys are taken from the log's record, which only administrators can
  // change, never from the file in the product's folder, and every later
  // write goes straight out. False when the record cannot be read.
  bool Resume();
  const TError& Failure() const { return failure_; }

private:
  TStr path_;
  TMemoryLogStore image_;
  int pending_ = 0;
  int flushEvery_ = kFlushEvery;
  TError failure_;
};

// The log as the writes after the run and at Finish use it: resumed from its
// record at first use (TBufferedLogStore::Resume), every key written straight
// out to the log and the record. The first failure is told to `host`, as the
// other writes after the run tell theirs, and every later write is refused.
class TResumedLogStore : public TLogStore {
public:
  TResumedLogStore(const TStr& path, TRunHost* host) : log_(path), host_(host) {}
  TStr Read(const char* section, const char* key, const char* fallback) const override;
  bool Write(const char* section, const char* key, const TStr& value) override;

private:
  bool Ready() const;
  void Fail() const;
  mutable TBufferedLogStore log_;
  mutable char state_ = 0;  // 0 not resumed, 1 resumed, 2 failed (and told)
  TRunHost* host_;
};
