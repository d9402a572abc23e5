#pragma once
#include "base/run_host.h"
#include "base/str.h"
#include "base/str_list.h"

#include <stddef.h>

// Undoes an installation from its uninstall log, talking through `host`.
// fromCommandLine is true for the uninstaller started with /U (everything
// goes, the uninstall entry too, and the uninstaller file is handed to the
// removal helper) and false for the rollback of a cancelled install run (the
// entry and the uninstaller file are left to the install run). Both first ask
// the log's question; No removes nothing. True when everything the log names
// is gone (a missing log recorded nothing, so nothing stays). A rollback
// with `keptBytes` undoes only the entries past them (what the failed run
// appended to a log earlier runs wrote) and cuts the log and its record back
// to them instead of deleting both.
bool UninstallRun(const TStr& logPath, bool fromCommandLine, TRunHost& host, size_t keptBytes = 0);

// What one run did, for the top of the run to show.
struct TUninstallOutcome {
  bool LogFound = false;
  // The file exists but has none of a log's [General] keys, or its name is a
  // link to another file: nothing is touched, the file included.
  bool NotALog = false;
  // Why a log was refused before anything was asked or touched: it could
  // not be read, or it has no record or another's (uninstall/log_record.h).
  // The log stays, and so does everything it names.
  TStr Refusal;
  bool Confirmed = false;
  // The log's done message, followed by what stayed and what was refused.
  TStr DoneMessage;
  // Things the log names that are still there after the run (in use, no
  // access), and log entries that were refused as unsafe.
  TStrList NotRemoved;
  TStrList Skipped;
  // Full mode: the running program is the uninstaller file this product's
  // entry named, and no other product's entry still uses it.
  bool RemoveOwnFile = false;
};

// Everything of UninstallRun except what comes after the log is gone (the
// done message, the removal helper). The question goes to `host` (an
// unattended run answers Yes: it was asked to remove), and so does each
// removal and each thing that stays.
void UninstallFromLog(const TStr& logPath, bool fullMode, TUninstallOutcome* outcome, TRunHost& host,
                      size_t keptBytes = 0);

// The done message with the lists of what stayed and what was refused
// appended (at most a screenful of each).
TStr ReportText(const TStr& doneMessage, const TStrList& notRemoved, const TStrList& skipped);
