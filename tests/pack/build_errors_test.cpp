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
      {"build a b -o x", "one source folder; 2 were given: 'a', 'b'"},
      {"build -o x", "one source folder; none was given"},
      {"build a -o -", "give a file name"},
      {"check", "check needs one source folder; none was given"},
      {"check a --exclude", "--exclude needs a pattern"},
      {"build a -o", "-o needs a file name"},
      {"build a -o x --level 0", "--level"},
      {"build a -o x --threads x", "--threads"},
      {"build a -o x --bogus", "unknown option --bogus"},
      {"list", "list needs one package or cabinet; none was given"},
      {"list a b", "2 were given"},
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
  for (const char* version : {"--version", "-V"}) {
    TRun v = RunTool(version);
    CHECK(v.rc == 0);
    CHECK(v.out.rfind("kestin-pack ", 0) == 0);
  }
}

TEST_CASE("options take their value joined or apart, and -- ends them") {
  std::string dir = NewScratchFolder("conventions");
  TStubFiles stub = WriteStubFiles(dir);
  std::string product = MinimalProduct(dir + "-odd/");
  std::string args = " --stub=" + Quote(stub.stub) + " --dll " + Quote(stub.dll);
  fs::path before = fs::current_path();
  fs::current_path(dir);
  TRun joined = RunTool("build --output=" + Quote(dir + "a.exe") + " --level=9" + args + " -- -odd");
  INFO(joined.err);
  CHECK(joined.rc == 0);
  TRun glued = RunTool("build -o" + Quote(dir + "b.exe") + " --level 9" + args + " -- -odd");
  CHECK(glued.rc == 0);
  CHECK(ReadWholeFile(dir + "a.exe") == ReadWholeFile(dir + "b.exe"));
  // Without --, the folder reads as an option.
  CHECK(RunTool("build -o x.exe" + args + " -odd").rc == 2);
  fs::current_path(before);
}

TEST_CASE("the setup program and library are checked for what they are") {
  TFailCase c = NewCase("inputs");
  struct {
    const char* what;
    std::vector<uint8_t> stub, dll;
    const char* says;
  } cases[] = {
      {"text as stub", std::vector<uint8_t>(500, 'x'), FakeLibrary(), "not a Kestin setup program: it is not a Windows program"},
      {"library as stub", FakeLibrary(), FakeLibrary(), "not a Kestin setup program: it is a library (DLL)"},
      {"program as library", FakeStub(), FakeStub(), "cannot be the package's helper library: it is a program"},
      {"library without FDI", FakeStub(), FakeLibrary(1000, kFakeI386, {"DllMain", "FDICopy"}),
       "does not export FDICreate, FDIDestroy, FDIIsCabinet"},
      {"64-bit library, 32-bit stub", FakeStub(), FakeLibrary(1000, kFakeAmd64),
       "it is a 64-bit (x86-64) library, but the setup program is 32-bit (i386)"},
      {"32-bit library, 64-bit stub", FakeStub(kFakeAmd64), FakeLibrary(),
       "it is a 32-bit (i386) library, but the setup program is 64-bit (x86-64)"},
  };
  for (auto& k : cases) {
    CAPTURE(k.what);
    WriteWholeFile(c.stub.stub, k.stub);
    WriteWholeFile(c.stub.dll, k.dll);
    TRun r = BuildInto(c);
    CHECK(r.rc == 1);
    CHECK(r.err.find(k.says) != std::string::npos);
    CheckNothingChanged(c);
  }
  WriteWholeFile(c.stub.stub, FakeStub(kFakeAmd64));
  WriteWholeFile(c.stub.dll, FakeLibrary(1000, kFakeAmd64));
  CHECK(BuildInto(c).rc == 0);
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
  WriteWholeFile(c.stub.dll, FakeLibrary(30720));
  CHECK(BuildInto(c).rc == 0);
}

TEST_CASE("a setup program without the version placeholders is refused") {
  TFailCase c = NewCase("nostub");
  WriteWholeFile(c.stub.stub, std::vector<uint8_t>(500, 0x90));
  TRun r = BuildInto(c);
  CHECK(r.rc == 1);
  CHECK(r.err.find(c.stub.stub) != std::string::npos);
  CHECK(r.err.find("not a Kestin setup program") != std::string::npos);
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
