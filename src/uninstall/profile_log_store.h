// The uninstall log on disk: a TLogStore over the platform's profile
// functions, one key written at a time straight to the file. Values are read
// from the file's own bytes by the profile functions' rules and converted
// from the code page the log declares (LogCodePageRule) to the one this
// program runs under, so a log written under one code page reads the same
// under another; the profile functions would take its bytes for their own.
#pragma once
#include "base/error.h"
#include "script/ini_index.h"
#include "uninstall/uninstall_log.h"

class TProfileLogStore : public TLogStore {
public:
  explicit TProfileLogStore(const TStr& path) : path_(path) {}
  // Answers from `bytes`, the log's contents read once, by the same rules;
  // the file is never read again, so what is acted on is what was checked.
  TProfileLogStore(const TStr& path, const TStr& bytes);
  const TStr& Path() const { return path_; }

  TStr Read(const char* section, const char* key, const char* fallback) const override;
  bool Write(const char* section, const char* key, const TStr& value) override;

  // The first write that failed (Code kLogWriteFailed, the system error, the
  // log's path); clear while every write succeeded.
  const TError& Failure() const { return failure_; }

private:
  TStr path_;
  TError failure_;
  mutable TIniIndex index_;
  mutable char indexState_ = 0;  // 0 not read, 1 read, 2 not possible (profile functions), 3 given bytes
  mutable unsigned codePage_ = 0;
};

const int kLogWriteFailed = 1;
