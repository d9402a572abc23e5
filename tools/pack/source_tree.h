// The product files of a source folder, as a cabinet will store them.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "cab_writer.h"
#include "findings.h"

// Name of the setup script every package must carry.
extern const char kSetupScriptName[];  // "KESTIN\kestin.ini"

struct TCollectOptions {
  // Identities of files to leave out (the package being written over).
  std::vector<std::string> skip;
  // --exclude patterns: '*' and '?' within one name, '**' across folders,
  // letter case ignored. A pattern without '/' matches a file or folder name
  // at any depth; one with '/' the path from the source folder.
  std::vector<std::string> excludes;
  // SOURCE_DATE_EPOCH: file times later than it are stored as it, and all
  // times are stored in UTC, so the package does not depend on when the
  // files were checked out or on the builder's time zone.
  bool clampTimes = false;
  int64_t clampTime = 0;
};

struct TSourceTree {
  std::vector<TCabInput> files;  // sorted by upper-cased stored name
  // Upper-cased stored names already warned about (links, hidden, backup and
  // version-control files), so no second warning repeats them.
  std::set<std::string> flagged;
};

// Collects every file under `root` (folders followed, links to files and to
// folders too, loops refused) with stored names relative to it, sorted by
// their upper-cased name so the same tree always gives the same cabinet.
// Reports every problem of the tree in one go: errors for an unreadable
// folder, a name Windows could not hold, a special file (device, pipe,
// socket), two names that differ in letter case only, or a missing setup
// script; warnings for empty folders, links, hidden, backup and
// version-control files. False when there was an error.
bool Source_Collect(const std::string& root, const TCollectOptions& options, TSourceTree* tree,
                    TFindings* findings);

// A time (seconds since 1970, UTC) as a DOS date and time in UTC, clamped
// to what DOS time stamps hold (1980 to 2107).
void Source_DosTimeUtc(int64_t t, uint16_t* date, uint16_t* time);

// Whether `relativePath` ('/' between folders) matches an --exclude pattern.
bool Source_Excluded(const std::string& pattern, const std::string& relativePath);
