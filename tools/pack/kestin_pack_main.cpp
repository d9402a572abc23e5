// kestin-pack: builds packages, lists and extracts packages and cabinets.
// Exit codes: 0 done, 1 the work failed (bad input, unreadable or unwritable
// file), 2 the command line was wrong.
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "cab_reader.h"
#include "pack_fs.h"
#include "package_build.h"
#include "source_check.h"

namespace {

const char kVersion[] = "kestin-pack 1.0";

// check: only warnings were found.
const int kExitWarnings = 3;

const char kHelp[] =
    "Usage:\n"
    "  kestin-pack build SOURCE_DIR -o PACKAGE.exe [options]\n"
    "  kestin-pack check SOURCE_DIR [--exclude PATTERN]... [--werror]\n"
    "  kestin-pack list PACKAGE|CABINET\n"
    "  kestin-pack test PACKAGE|CABINET\n"
    "  kestin-pack extract PACKAGE|CABINET DIR [NAME...]\n"
    "  kestin-pack --help | --version | -V\n"
    "\n"
    "build packs every file under SOURCE_DIR, which must hold the setup script\n"
    "KESTIN/kestin.ini, into a cabinet and makes the package: the setup program,\n"
    "the helper library in its 30720-byte slot, then the cabinet. It runs check\n"
    "first and writes nothing when check finds an error.\n"
    "  -o, --output FILE   the package to write (replaced only when complete;\n"
    "                      not inside SOURCE_DIR)\n"
    "  --stub FILE         setup program (default: the one installed with this tool)\n"
    "  --dll FILE          helper library (default: the one installed with this tool)\n"
    "  --store             store the files without compression (default: MSZIP)\n"
    "  --cab-file NAME     write the cabinet as the file NAME beside the package\n"
    "  --level N           MSZIP effort, 1 (fastest) to 9 (smallest); default 4\n"
    "  --threads N         compress on N threads; default: one per processor\n"
    "  --exclude PATTERN   leave out files and folders matching PATTERN (repeatable;\n"
    "                      '*' and '?' within a name, '**' across folders; a\n"
    "                      pattern with '/' matches the path from SOURCE_DIR)\n"
    "  --werror            treat warnings as errors\n"
    "  -v, --verbose       list every file with its folder and size, and each folder\n"
    "  -q, --quiet         print nothing but errors\n"
    "Options take their value as '--output FILE', '--output=FILE' or '-oFILE';\n"
    "'--' ends the options.\n"
    "\n"
    "check reads the setup script by the setup program's own rules and reports\n"
    "every problem of the script and the folder as FILE:LINE: error|warning: ...\n"
    "\n"
    "test decodes every file and checks every checksum, writing nothing.\n"
    "list prints the files of a package or cabinet; extract writes them (or only\n"
    "the NAMEs given, such as KESTIN\\kestin.ini) under DIR, refusing the whole\n"
    "cabinet when a stored name would reach outside DIR or name a device.\n"
    "\n"
    "Exit status: 0 done, 1 failed (check: errors found), 2 wrong command line,\n"
    "3 check found warnings only.\n";

std::string Count(size_t n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "kestin-pack: %s\nTry 'kestin-pack --help'.\n", message.c_str());
  return 2;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "kestin-pack: %s\n", message.c_str());
  return 1;
}

bool ParseNumber(const std::string& text, int low, int high, int* value) {
  if (text.empty() || text.size() > 3) return false;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < low || v > high) return false;
  *value = v;
  return true;
}

std::string BesideTool(const char* relative) {
  std::string own = Fs_OwnProgramPath();
  std::string folder = own.empty() ? std::string() : Fs_FolderOf(own);
  std::string rel = relative;
  for (char& c : rel)
    if (c == '/') c = Fs_Separator();
  return folder + rel;
}

// The setup program or library packed by default: where `make install` puts
// it (PREFIX/share/kestin beside PREFIX/bin), else the release build beside a
// tool run from its build tree.
std::string DefaultInput(const char* name) {
  std::string installed = BesideTool((std::string("../share/kestin/") + name).c_str());
  if (Fs_Exists(installed)) return installed;
  return BesideTool((std::string("../win32/") + name).c_str());
}

struct TProgress {
  bool show = false;
  bool shown = false;
  int lastPercent = -1;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

// Only for a person watching (a log file or a pipe gets no carriage-return
// noise), and only once the build has taken a second: quick builds stay
// one line.
void ShowProgress(void* context, uint64_t done, uint64_t total) {
  TProgress* p = (TProgress*)context;
  if (!p->show || total == 0) return;
  if (!p->shown && std::chrono::steady_clock::now() - p->start < std::chrono::seconds(1)) return;
  int percent = int(done * 100 / total);
  if (percent == p->lastPercent) return;
  p->lastPercent = percent;
  p->shown = true;
  std::fprintf(stderr, "\rpacking: %3d%% of %.1f MB", percent, double(total) / (1 << 20));
  std::fflush(stderr);
}

void EndProgress(TProgress* p) {
  if (!p->shown) return;
  std::fprintf(stderr, "\n");
  p->shown = false;
}

// -v: every file with its folder and size, then what each folder became.
void PrintPacked(const TBuildResult& result) {
  std::printf("folder       bytes  file\n");
  for (size_t i = 0; i < result.packed.size(); i++)
    std::printf("%6u  %10llu  %s\n", result.folderOf[i], (unsigned long long)result.packed[i].size,
                result.packed[i].storedName.c_str());
  for (size_t f = 0; f < result.folderStored.size(); f++) {
    unsigned long long in = result.folderInput[f], out = result.folderStored[f];
    std::printf("folder %zu: %llu bytes stored as %llu (%.1f%%)\n", f, in, out,
                in ? 100.0 * double(out) / double(in) : 100.0);
  }
}

// One option of a command line: "--name value", "--name=value" and, for
// one-letter options, "-nVALUE" all give the same.
struct TArgs {
  const std::vector<std::string>& args;
  size_t i = 0;
  bool optionsEnded = false;
  std::vector<std::string> positional;
  std::string name, inlineValue;
  bool hasInline = false;

  explicit TArgs(const std::vector<std::string>& a) : args(a) {}
  // The next option, or false at the end; positional arguments are collected.
  bool NextOption() {
    while (i < args.size()) {
      const std::string& a = args[i++];
      if (optionsEnded || a.size() < 2 || a[0] != '-') {
        positional.push_back(a);
        continue;
      }
      if (a == "--") {
        optionsEnded = true;
        continue;
      }
      hasInline = false;
      if (a[1] == '-') {
        size_t eq = a.find('=');
        name = a.substr(0, eq);
        if (eq != std::string::npos) {
          inlineValue = a.substr(eq + 1);
          hasInline = true;
        }
      } else {
        name = a.substr(0, 2);
        if (a.size() > 2) {
          inlineValue = a.substr(2);
          hasInline = true;
        }
      }
      return true;
    }
    return false;
  }
  bool Value(std::string* out) {
    if (hasInline) {
      *out = inlineValue;
      return true;
    }
    if (i >= args.size()) return false;
    *out = args[i++];
    return true;
  }
};

std::string Given(const std::vector<std::string>& positional) {
  if (positional.empty()) return "none was given";
  std::string list;
  for (const std::string& p : positional) list += (list.empty() ? "" : ", ") + std::string("'") + p + "'";
  return std::to_string(positional.size()) + " were given: " + list;
}

// Prints the findings, errors and warnings in the order found.
void PrintFindings(const TFindings& findings) {
  for (const TFinding& f : findings.list()) std::fprintf(stderr, "%s\n", Finding_Text(f).c_str());
}

std::string Tally(const TFindings& findings) {
  return Count(findings.Count(kError), "error") + ", " + Count(findings.Count(kWarning), "warning");
}

int Check(const std::vector<std::string>& args) {
  TArgs a(args);
  TCollectOptions options;
  bool werror = false;
  while (a.NextOption()) {
    std::string v;
    if (a.name == "--exclude") {
      if (!a.Value(&v) || v.empty()) return UsageError("--exclude needs a pattern, such as '*.bak' or docs/drafts");
      options.excludes.push_back(v);
    } else if (a.name == "--werror" && !a.hasInline) {
      werror = true;
    } else {
      return UsageError("check: unknown option " + a.args[a.i - 1]);
    }
  }
  if (a.positional.size() != 1)
    return UsageError("check needs one source folder; " + Given(a.positional));
  TCheckedSource checked;
  TFindings findings;
  Source_Check(a.positional[0], options, &checked, &findings);
  PrintFindings(findings);
  size_t errors = findings.Count(kError), warnings = findings.Count(kWarning);
  if (!errors && !warnings) {
    std::printf("%s: no problems found\n", a.positional[0].c_str());
    return 0;
  }
  std::printf("%s: %s\n", a.positional[0].c_str(), Tally(findings).c_str());
  if (errors || werror) return 1;
  return kExitWarnings;
}

int Build(const std::vector<std::string>& args) {
  TBuildRequest r;
  bool stubGiven = false, dllGiven = false, verbose = false, quiet = false;
  TArgs a(args);
  while (a.NextOption()) {
    const std::string& n = a.name;
    std::string v;
    if (n == "-o" || n == "--output") {
      if (!a.Value(&r.output) || r.output.empty()) return UsageError(n + " needs a file name");
    } else if (n == "--stub") {
      if (!a.Value(&r.stubPath) || r.stubPath.empty()) return UsageError("--stub needs a file name");
      stubGiven = true;
    } else if (n == "--dll") {
      if (!a.Value(&r.libraryPath) || r.libraryPath.empty()) return UsageError("--dll needs a file name");
      dllGiven = true;
    } else if (n == "--store" && !a.hasInline) {
      r.store = true;
    } else if (n == "--werror" && !a.hasInline) {
      r.warningsAreErrors = true;
    } else if ((n == "-v" || n == "--verbose") && !a.hasInline) {
      verbose = true;
    } else if ((n == "-q" || n == "--quiet") && !a.hasInline) {
      quiet = true;
    } else if (n == "--exclude") {
      if (!a.Value(&v) || v.empty()) return UsageError("--exclude needs a pattern, such as '*.bak' or docs/drafts");
      r.excludes.push_back(v);
    } else if (n == "--cab-file") {
      if (!a.Value(&r.cabFile)) return UsageError("--cab-file needs a file name");
      std::string problem = Package_CabFileNameProblem(r.cabFile);
      if (!problem.empty()) return UsageError("--cab-file " + r.cabFile + ": " + problem);
    } else if (n == "--level") {
      if (!a.Value(&v) || !ParseNumber(v, 1, 9, &r.level)) return UsageError("--level needs a number from 1 to 9");
    } else if (n == "--threads") {
      int count = 0;
      if (!a.Value(&v) || !ParseNumber(v, 1, 256, &count)) return UsageError("--threads needs a number from 1 to 256");
      r.threads = unsigned(count);
    } else {
      return UsageError("build: unknown option " + a.args[a.i - 1]);
    }
  }
  if (a.positional.size() != 1)
    return UsageError("build needs one source folder; " + Given(a.positional));
  if (r.output.empty()) return UsageError("build needs -o PACKAGE.exe, the package to write");
  if (r.output == "-")
    return UsageError("-o -: a package cannot go to standard output (it is written whole, then put in "
                      "place); give a file name such as Setup.exe");
  r.sourceFolder = a.positional[0];
  // The reproducible-builds convention: a decimal count of seconds since 1970.
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    std::string text = epoch;
    long long t = 0;
    bool ok = !text.empty() && text.size() <= 12;
    for (char c : text) {
      ok = ok && c >= '0' && c <= '9';
      if (ok) t = t * 10 + (c - '0');
    }
    if (!ok)
      return Failure("SOURCE_DATE_EPOCH=" + text + " is not a number of seconds since 1970; fix it or unset it");
    r.clampTimes = true;
    r.clampTime = t;
  }
  if (!stubGiven) r.stubPath = DefaultInput("setup.exe");
  if (!dllGiven) r.libraryPath = DefaultInput("uncab.dll");
  if (!stubGiven && !Fs_Exists(r.stubPath))
    return Failure(r.stubPath + ": no setup program there; install kestin-pack (make install), build it "
                   "(make win32) or give one with --stub");
  if (!dllGiven && !Fs_Exists(r.libraryPath))
    return Failure(r.libraryPath + ": no helper library there; install kestin-pack (make install), build it "
                   "(make win32) or give one with --dll");

  if (verbose && quiet) return UsageError("-v and -q cannot go together");
  TProgress progress;
  progress.show = !quiet && Fs_StderrIsTerminal();
  r.progress = ShowProgress;
  r.progressContext = &progress;
  TBuildResult result;
  TFindings findings;
  std::string error;
  bool built = Package_Build(r, &result, &findings, &error);
  EndProgress(&progress);
  // -q keeps errors: a failed build always says why.
  if (!quiet) {
    PrintFindings(findings);
  } else {
    TFindings errors;
    for (const TFinding& f : findings.list())
      if (f.severity == kError) errors.Add(f.severity, f.file, f.line, f.section, f.key, f.reason);
    PrintFindings(errors);
  }
  if (!built) return Failure(error);
  if (quiet) return 0;
  if (verbose) PrintPacked(result);
  std::printf("%s: %s, %llu bytes packed into a %llu-byte cabinet (%s); package %llu bytes%s\n",
              r.output.c_str(), Count(result.files, "file").c_str(), (unsigned long long)result.inputBytes,
              (unsigned long long)result.cabinetBytes, r.store ? "stored" : "MSZIP",
              (unsigned long long)result.packageBytes,
              findings.list().empty() ? "" : ("; " + Count(findings.Count(kWarning), "warning")).c_str());
  if (!r.cabFile.empty())
    std::printf("cabinet written to %s%s\n", Fs_FolderOf(r.output).c_str(), r.cabFile.c_str());
  return 0;
}

int List(const std::vector<std::string>& all) {
  TArgs a(all);
  if (a.NextOption()) return UsageError("list: unknown option " + a.args[a.i - 1]);
  const std::vector<std::string>& args = a.positional;
  if (args.size() != 1) return UsageError("list needs one package or cabinet; " + Given(args));
  TCabLocation where;
  std::vector<TListedFile> entries;
  std::string error;
  if (!Reader_Locate(args[0], &where, &error) || !Reader_List(where, &entries, &error))
    return Failure(error);
  unsigned long long total = 0;
  for (const TListedFile& e : entries) {
    std::printf("%10u  %04u-%02u-%02u %02u:%02u:%02u  %s\n", e.size, 1980u + (e.date >> 9),
                (e.date >> 5) & 15u, e.date & 31u, unsigned(e.time >> 11), (e.time >> 5) & 63u,
                (e.time & 31u) * 2, e.name.c_str());
    total += e.size;
  }
  std::printf("%s, %llu bytes\n", Count(entries.size(), "file").c_str(), total);
  return 0;
}

int Test(const std::vector<std::string>& all) {
  TArgs a(all);
  if (a.NextOption()) return UsageError("test: unknown option " + a.args[a.i - 1]);
  if (a.positional.size() != 1) return UsageError("test needs one package or cabinet; " + Given(a.positional));
  TCabLocation where;
  std::vector<TListedFile> tested;
  std::string error;
  if (!Reader_Locate(a.positional[0], &where, &error) || !Reader_Test(where, &tested, &error))
    return Failure(error);
  unsigned long long total = 0;
  for (const TListedFile& e : tested) total += e.size;
  std::printf("%s: %s, %llu bytes decoded, every checksum good\n", a.positional[0].c_str(),
              Count(tested.size(), "file").c_str(), total);
  return 0;
}

int Extract(const std::vector<std::string>& all) {
  TArgs a(all);
  if (a.NextOption()) return UsageError("extract: unknown option " + a.args[a.i - 1]);
  const std::vector<std::string>& args = a.positional;
  if (args.size() < 2)
    return UsageError("extract needs a package or cabinet and a target folder; " + Given(args));
  TCabLocation where;
  std::vector<TListedFile> extracted;
  std::vector<std::string> only(args.begin() + 2, args.end());
  std::string error;
  if (!Reader_Locate(args[0], &where, &error) ||
      !Reader_Extract(where, args[1], only, &extracted, &error))
    return Failure(error);
  std::printf("%s extracted to %s\n", Count(extracted.size(), "file").c_str(), args[1].c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args = Fs_Arguments(argc, argv);
  if (args.empty()) return UsageError("no command given");
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (command == "--version" || command == "-V") {
    std::printf("%s\n", kVersion);
    return 0;
  }
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
  }
  int rc;
  if (command == "build") rc = Build(args);
  else if (command == "check") rc = Check(args);
  else if (command == "list") rc = List(args);
  else if (command == "test") rc = Test(args);
  else if (command == "extract") rc = Extract(args);
  else return UsageError("unknown command " + command);
  if (std::fflush(stdout) != 0 && rc == 0) return Failure("cannot write the output");
  return rc;
}
