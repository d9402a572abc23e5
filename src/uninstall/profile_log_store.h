// The uninstall log on disk: a TLogStore over the platform's profile
// functions, one key written at a time straight to the file.
#pragma once
#include "base/error.h"
#include "uninstall/uninstall_log.h"

class TProfileLogStore : public TLogStore {
public:
  explicit TProfileLogStore(const TStr& path) : path_(path) {}
  const TStr& Path() const { return path_; }

  TStr Read(const char* section, const char* key, const char* fallback) const override;
  bool Write(const char* section, const char* key, const TStr& value) override;

  // The first write that failed (Code kLogWriteFailed, the system error, the
  // log's path); clear while every write succeeded.
  const TError& Failure() const { return failure_; }

private:
  TStr path_;
  TError failure_;
};

const int kLogWriteFailed = 1;
