// kestin-pack's failures: exit codes, messages that name the file and the
// reason, and no half-written package left behind.
#include <doctest/doctest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "pack_test_support.h"

using namespace packtest;

namespace {

struct TFailCase {
  std::string dir, product, out;
  TStubFiles stub;
};

TFailCase NewCase(const char* tag) {
  TFailCase c;
  c.dir = NewScratchFolder(tag);
  c.stub = WriteStubFiles(c.dir);
  c.product = MinimalProduct(c.dir + "p/");
  c.out = c.dir + "out/";
  fs::create_directories(c.out);
  return c;
}

// A failed build leaves the target folder as it was: an older package
// untouched, no temporary file.
void CheckNothingChanged(const TFailCase& c) {
  CHECK(Names(c.out) == std::vector<std::string>{"setup.exe"});
  CHECK(ReadText(c.out + "setup.exe") == "old package");
}

TRun BuildInto(const TFailCase& c, const std::string& extra = "", const std::string& prefix = "") {
  WriteFile(c.out + "setup.exe", "old package");
  return RunShell(prefix + Tool() + " build " + Quote(c.product) + " -o " + Quote(c.out + "setup.exe") + " " +
                  StubArgs(c.stub) + " " + extra);
}

}  // namespace

TEST_CASE("usage errors exit with 2 and say what is wrong") {
  struct { const char* args; const char* says; } cases[] = {
      {"", "no command"},
      {"frobnicate", "unknown command frobnicate"},
      {"build", "source folder"},
      {"build somewhere", "-o"},
      {"build a b -o x", "one source folder"},
      {"build a -o", "-o needs a file name"},
      {"build a -o x --level 0", "--level"},
      {"build a -o x --threads x", "--threads"},
      {"build a -o x --bogus", "unknown option --bogus"},
      {"list", "list needs"},
      {"extract only-one", "extract needs"},
  };
  for (auto& c : cases) {
    std::string args = c.args;
    CAPTURE(args);
    TRun r = RunTool(c.args);
    CHECK(r.rc == 2);
    CHECK(r.err.find(c.says) != std::string::npos);
    CHECK(r.err.find("--help") != std::string::npos);
  }
  TRun h = RunTool("--help");
  CHECK(h.rc == 0);
  CHECK(h.out.find("kestin-pack build SOURCE_DIR -o PACKAGE.exe") != std::string::npos);
  TRun v = RunTool("--version");
  CHECK(v.rc == 0);
  CHECK(v.out.rfind("kestin-pack ", 0) == 0);
}

TEST_CASE("a missing setup script is refused, naming where it belongs") {
  TFailCase c = NewCase("noini");
  fs::remove(c.product + "KESTIN/kestin.ini");
  WriteFile(c.product + "readme.txt", "hi");
  TRun r = BuildInto(c);
  CHECK(r.rc == 1);
  CHECK(r.err.find("KESTIN/kestin.ini: error: missing") != std::string::npos);
  CheckNothingChanged(c);

  // Letter case does not matter: the setup program compares names upper-cased.
  fs::rename(c.product + "KESTIN", c.product + "kestin");
  WriteFile(c.product + "kestin/KESTIN.INI", "[general]\ncaption=x\n");
  CHECK(BuildInto(c).rc == 0);
}

TEST_CASE("an oversize helper library is refused") {
  TFailCase c = NewCase("bigdll");
  WriteWholeFile(c.stub.dll, std::vector<uint8_t>(30721, 1));
  TRun r = BuildInto(c);
  CHECK(r.rc == 1);
  CHECK(r.err.find(c.stub.dll) != std::string::npos);
  CHECK(r.err.find("30721 bytes; the package has room for 30720") != std::string::npos);
  CheckNothingChanged(c);
  WriteWholeFile(c.stub.dll, std::vector<uint8_t>(30720, 1));
  CHECK(BuildInto(c).rc == 0);
}

TEST_CASE("a setup program without the version placeholders is refused") {
  TFailCase c = NewCase("nostub");
  WriteWholeFile(c.stub.stub, std::vector<uint8_t>(500, 0x90));
  TRun r = BuildInto(c);
  CHECK(r.rc == 1);
  CHECK(r.err.find(c.stub.stub) != std::string::npos);
  CHECK(r.err.find("no version value 'kestin'") != std::string::npos);
  CheckNothingChanged(c);
}

TEST_CASE("a source file that cannot be read leaves no package behind") {
  TFailCase c = NewCase("unreadable");
  WriteFile(c.product + "data/a.bin", SomeBytes(100000, 3));
  fs::create_symlink(c.product + "gone", c.product + "data/b.link");
  TRun r = BuildInto(c);
  CHECK(r.rc == 1);
  CHECK(r.err.find("data/b.link") != std::string::npos);
  CHECK(r.err.find("No such file") != std::string::npos);
  CheckNothingChanged(c);

  fs::remove(c.product + "data/b.link");
  REQUIRE(mkfifo((c.product + "data/pipe").c_str(), 0600) == 0);
  r = BuildInto(c);
  CHECK(r.rc == 1);
  CHECK(r.err.find("data/pipe: error: cannot be packed: it is not a regular file") != std::string::npos);
  CheckNothingChanged(c);
}

TEST_CASE("a full disk leaves no half-written package") {
  TFailCase c = NewCase("full");
  WriteFile(c.product + "big.bin", SomeBytes(400000, 4));
  // The file-size limit makes writes fail past 100 KiB, as a full disk would.
  TRun r = BuildInto(c, "--store", "ulimit -f 100; ");
  CHECK(r.rc == 1);
  CHECK(r.err.find("cannot write " + c.out + "setup.exe") != std::string::npos);
  CHECK(r.err.find("too large") != std::string::npos);
  CheckNothingChanged(c);
}

TEST_CASE("names Windows cannot hold are refused, naming the file") {
  struct { const char* file; const char* says; } cases[] = {
      {"aux.txt", "reserves the name AUX"},
      {"sub/LPT1", "reserves the name LPT1"},
      {"what?.txt", "does not allow '?'"},
      {"back\\slash", "does not allow '\\'"},
      {"trailing.", "trailing dot"},
  };
  for (auto& k : cases) {
    std::string file = k.file;
    CAPTURE(file);
    TFailCase c = NewCase("badname");
    WriteFile(c.product + k.file, "x");
    TRun r = BuildInto(c);
    CHECK(r.rc == 1);
    CHECK(r.err.find(k.file) != std::string::npos);
    CHECK(r.err.find(k.says) != std::string::npos);
    CheckNothingChanged(c);
  }
}

TEST_CASE("two names that differ only in letter case are refused") {
  TFailCase c = NewCase("case");
  WriteFile(c.product + "Readme.txt", "1");
  WriteFile(c.product + "README.TXT", "2");
  TRun r = BuildInto(c);
  CHECK(r.rc == 1);
  CHECK(r.err.find("only in letter case") != std::string::npos);
  CheckNothingChanged(c);
}

TEST_CASE("a missing source folder or default stub is reported clearly") {
  TFailCase c = NewCase("nosrc");
  TRun r = RunTool("build " + Quote(c.dir + "nowhere") + " -o " + Quote(c.out + "x.exe") + " " + StubArgs(c.stub));
  CHECK(r.rc == 1);
  CHECK(r.err.find(c.dir + "nowhere: error: cannot open the source folder (No such file") != std::string::npos);
  r = RunTool("build " + Quote(c.product) + " -o " + Quote(c.out + "x.exe") + " --stub " + Quote(c.dir + "none.exe") + " --dll " + Quote(c.stub.dll));
  CHECK(r.rc == 1);
  CHECK(r.err.find(c.dir + "none.exe: cannot read the setup program") != std::string::npos);
  CHECK(Names(c.out).empty());
}
