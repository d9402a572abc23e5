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
  // Takes back a text Text() or a log written line by line made ("\r\n" or
  // "\n" line ends) in place of the store's keys. A section may come back
  // (each run appends to the log as it goes), and a key written again takes
  // its later value. A last line without its line end was cut by a crash or
  // a full disk while it was written, and is left out. False, with the store
  // empty, for any other line that is neither a section nor a key nor empty:
  // such a text was never written by the install.
  bool Load(const TStr& text);

  // Sections and keys each written once, as Text() writes them.
  static TStr Merged(const TStr& text);

private:
  int Find(const char* section, const char* key) const;
  TStrList sections_, keys_, values_;  // one entry per key, in write order
  bool failWrites_ = false;
};

// The length of `bytes` up to the end of its last complete line (0 when
// there is none): what a reader takes of a log whose last write was cut.
size_t CompleteLinesLength(const TStr& bytes);

// The lines one run appended to a log, with every numbered list numbered
// afresh from 1 in the order its entries come (a run that goes on with an
// earlier run's log goes on with its lists too, and a list is read from 1).
// An entry and its companion keep one number: LinkN and RmDirN, DefaultN
// and DefaultTypeN, FileN and AsideN.
TStr RenumberedLists(const TStr& lines);
