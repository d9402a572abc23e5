// A TLogStore in memory, for the native tests of both sides of the log and
// for tools that build a log before writing it out.
#pragma once
#include "base/str_list.h"
#include "uninstall/uninstall_log.h"

class TMemoryLogStore : public TLogStore {
public:
  TStr Read(const char* section, const char* key, const char* fallback) const override;
  bool Write(const char* section, const char* key, const TStr& value) override;

  // Makes every later write fail, as a full disk would.
  void FailWrites(bool on) { failWrites_ = on; }
  // The whole store as an INI text: sections in the order their first key
  // was written, keys in the order they were first written, each line ended
  // by `lineEnd`.
  TStr Text(const char* lineEnd = "\n") const;
  // Takes back a text Text() made ("\r\n" or "\n" line ends) in place of
  // the store's keys. False, with the store empty, for any line that is
  // neither a section nor a key: such a text was never made by Text().
  bool Load(const TStr& text);

private:
  int Find(const char* section, const char* key) const;
  TStrList sections_, keys_, values_;  // one entry per key, in write order
  bool failWrites_ = false;
};
