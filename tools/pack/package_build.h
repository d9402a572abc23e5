// `kestin-pack build`: a product folder into a package.
#pragma once
#include <string>

#include "cab_writer.h"
#include "findings.h"

struct TBuildRequest {
  std::string sourceFolder;  // the product files and KESTIN/kestin.ini
  std::string output;        // the package (.exe) to write
  std::string stubPath;      // setup.exe as built
  std::string libraryPath;   // uncab.dll as built
  std::string cabFile;       // "": cabinet inside the package; else its file name beside it
  bool store = false;        // no compression
  int level = kDefaultMszipLevel;
  unsigned threads = 0;      // 0: one per processor
  std::vector<std::string> excludes;  // --exclude patterns
  bool warningsAreErrors = false;     // --werror
  bool clampTimes = false;            // SOURCE_DATE_EPOCH given
  int64_t clampTime = 0;
  CabProgress progress = nullptr;
  void* progressContext = nullptr;
};

struct TBuildResult {
  // What went where, for -v: the files in cabinet order with their folders,
  // and each folder's input and stored bytes.
  std::vector<TCabInput> packed;
  std::vector<uint32_t> folderOf;
  std::vector<uint64_t> folderInput, folderStored;
  size_t files = 0;
  uint64_t inputBytes = 0;
  uint64_t cabinetBytes = 0;
  uint64_t packageBytes = 0;
};

// Checks the source folder first (every finding goes to `findings`; an error,
// or a warning under warningsAreErrors, stops the build before anything is
// written). Then writes the package (and the separate cabinet) all or
// nothing: everything goes to temporary files in the target folder, renamed
// into place only when complete; on any failure they are removed and the
// error names the file and the reason.
bool Package_Build(const TBuildRequest& request, TBuildResult* result, TFindings* findings,
                   std::string* error);

// Why `name` cannot be the separate cabinet's file name, or "".
std::string Package_CabFileNameProblem(const std::string& name);
