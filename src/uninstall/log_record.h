// The record of an uninstall log: a byte-for-byte copy of the log that the
// install keeps in the Windows folder, where only administrators can write.
// The log itself lies in the product's folder, which ordinary users may be
// able to change; the uninstaller, which usually runs elevated, acts on a
// log only when its bytes are the record's, so an edited or hand-written
// log cannot turn it against the machine.
//
// The record is named from the log's full path, so one log has one record
// wherever the product is, and a log that grows (or that a later install
// into the same folder extends) keeps it: the install brings the record up
// to the log each time it writes the log.
#pragma once
#include <stdint.h>

#include "base/error.h"
#include "base/str.h"

// 64-bit FNV-1a of the log's full path with ASCII letters upper-cased, as
// the file system compares names.
uint64_t LogRecordKey(const TStr& fullLogPath);
// "Kestin-" + LogRecordKey in 16 upper-case hexadecimal digits + ".kvr".
TStr LogRecordName(const TStr& fullLogPath);

// The name of the lock one uninstall run of the log holds, so that a second
// run of the same log is refused while the first one works.
TStr UninstallLockName(const TStr& fullLogPath);
// What the second run says.
extern const char kUninstallRunning[];

enum TLogRecordVerdict { kLogMatchesRecord, kLogWithoutRecord, kLogDiffersFromRecord };
// The log is trusted only when it has a record and the log's bytes are the
// record's, or the start of them: each entry goes to the record first and to
// the log next, so a run that ended between the two (killed, or the log's
// disk full) leaves the record one entry ahead. What is then acted on is
// always the record's bytes. `recordBytes` is null when there is no record.
TLogRecordVerdict CompareLogWithRecord(const TStr& logBytes, const TStr* recordBytes);
// What the user is told when the uninstaller refuses a log (any verdict but
// kLogMatchesRecord): why, where the record is, and what to do.
TStr LogRecordRefusal(TLogRecordVerdict verdict, const TStr& recordPath);

// --- Windows side (log_record_win.cpp).

// TError::Code in kErrorLog, beside kLogWriteFailed: the record could not be
// written (or, for the writes after the run, read).
const int kLogRecordFailed = 2;
// A log or record larger than this is not read (a real log of 20,000 entries
// is about 1 MB).
const size_t kLogFileMax = 64 << 20;

// Where the record of the log at `logPath` is kept: the system's Windows
// folder (the shared one, also on a terminal server) and LogRecordName of the
// log's full path. Empty when either cannot be had.
TStr LogRecordPath(const TStr& logPath);

// Opens a file this run writes or goes on writing for reading and writing,
// shared for reading only and never through a link: an existing one
// (`create` false) must be a plain file with one name; a new one (`create`
// true) is made new, after a leftover that is no link is removed. Returns the
// system handle, or null with the system's error set (ERROR_CANT_ACCESS_FILE
// for a link).
void* OpenOwnFile(const TStr& path, bool create);

// Cuts the log at `logPath` and then its record back to `bytes` (the log
// first, so it never holds more than the record). False with the system's
// error set.
bool CutLogAndRecord(const TStr& logPath, const TStr& recordPath, size_t bytes);
