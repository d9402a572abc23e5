// The uninstall log as the uninstaller reads it: the file's bytes, read once,
// answered by the profile functions' rules (script/ini_index.h) and converted
// from the code page the log declares (LogCodePageRule) to the one this
// program runs under, so a log written under one code page reads the same
// under another; the profile functions would take its bytes for their own.
// The file is never read again, so what the run acts on is what it checked
// against the log's record. The install writes its log through
// install/durable_log_store.h.
#pragma once
#include "script/ini_index.h"
#include "uninstall/uninstall_log.h"

class TProfileLogStore : public TLogStore {
public:
  explicit TProfileLogStore(const TStr& bytes);

  TStr Read(const char* section, const char* key, const char* fallback) const override;
  // The log is only read here: every write is refused.
  bool Write(const char*, const char*, const TStr&) override { return false; }

private:
  TIniIndex index_;
  unsigned codePage_ = 0;
};

const int kLogWriteFailed = 1;  // TError::Code in kErrorLog: the log could not be written
