// The uninstall log as the install writes it: appended line by line, each
// entry written before the item it records is made, so a run that is killed
// at any instant leaves a log that names everything it put on the machine.
// Each entry goes first to the log's record (uninstall/log_record.h) and then
// to the log, so the log is always the record or the start of it, the one
// form the uninstaller trusts. A section header is written again where the
// entries of another section follow, and a key written again takes its later
// value (TMemoryLogStore::Load reads them so).
//
// One log serves every run of the product into its folder: a run that finds
// a log there which its record vouches for goes on writing it (a repair, an
// add-on in its base product's folder), and an entry it already holds is not
// written again. A log without such a record cannot be trusted by the
// uninstaller in any case; the run starts a new one in its place.
//
// The entries reach the system with every write, which is what outlives a
// killed process; Flush also asks the disk for them at the run's steps.
#pragma once
#include <stddef.h>

#include "base/error.h"
#include "base/run_host.h"
#include "uninstall/memory_log_store.h"

class TDurableLogStore : public TLogStore {
public:
  explicit TDurableLogStore(const TStr& path) : path_(path) {}
  ~TDurableLogStore() { Close(); }
  TDurableLogStore(const TDurableLogStore&) = delete;
  TDurableLogStore& operator=(const TDurableLogStore&) = delete;
  const TStr& Path() const { return path_; }

  // Opens the log and its record and holds both for this run. A log the
  // record vouches for is gone on with (a record a crash left one entry
  // ahead is taken whole, and a last line it cut is dropped); otherwise,
  // with `mayStart`, a new log is begun in its place, and without it the
  // open fails. False with Failure().
  bool Open(bool mayStart);
  // Whether Open went on with a log an earlier run wrote.
  bool Continued() const { return startBytes_ > 0; }
  // The length of the log when this run opened it: where its entries begin.
  size_t StartBytes() const { return startBytes_; }
  void Close();

  TStr Read(const char* section, const char* key, const char* fallback) const override {
    return image_.Read(section, key, fallback);
  }
  // Appends key=value to the record and then to the log; a key that holds
  // that value already is not written again. False once any write failed.
  bool Write(const char* section, const char* key, const TStr& value) override;
  // Asks the disk for everything written so far. False once any write failed.
  bool Flush();
  const TError& Failure() const { return failure_; }

private:
  bool Fail(int code, const TStr& subject);
  bool Start();
  TStr path_, recordPath_;
  void* log_ = nullptr;
  void* record_ = nullptr;
  TMemoryLogStore image_;
  TStr section_;  // the section of the line appended last
  size_t startBytes_ = 0;
  TError failure_;
};

// The log as the writes after the run and at Finish use it: gone on with at
// first use (TDurableLogStore::Open without starting one), its keys taken
// from the record, which only administrators can change, never from the
// file in the product's folder. The first failure is told to `host`, as the
// other writes after the run tell theirs, and every later write is refused.
class TResumedLogStore : public TLogStore {
public:
  TResumedLogStore(const TStr& path, TRunHost* host) : log_(path), host_(host) {}
  TStr Read(const char* section, const char* key, const char* fallback) const override;
  bool Write(const char* section, const char* key, const TStr& value) override;

private:
  bool Ready() const;
  void Fail() const;
  mutable TDurableLogStore log_;
  mutable char state_ = 0;  // 0 not resumed, 1 resumed, 2 failed (and told)
  TRunHost* host_;
};
