// kestin-pack list and extract, through the cabinet engine: on packages it
// built itself, on cabinets other tools made, and on hostile cabinets.
#include <doctest/doctest.h>

#include <sys/stat.h>

#include <initializer_list>

#include "cab_builder.h"
#include "pack_test_support.h"

using namespace packtest;

namespace {

std::string GcabCabinet(const std::string& product, const std::string& cab, bool compress) {
  TRun r = RunShell("cd " + Quote(product) + " && find . -type f | sed 's|^\\./||' | sort | xargs gcab -c " +
                    (compress ? "-z " : "") + Quote(cab));
  REQUIRE(r.rc == 0);
  return cab;
}

std::string ProductWithSubfolders(const std::string& dir) {
  MinimalProduct(dir);
  WriteFile(dir + "empty.dat", std::vector<uint8_t>());
  WriteFile(dir + "bin/tool.exe", SomeBytes(150000, 21));
  WriteFile(dir + "share/doc/a/b/notes.txt", SomeBytes(5000, 22));
  for (int i = 0; i < 12; i++) WriteFile(dir + "small/" + std::to_string(i) + ".txt", SomeBytes(900 * i, 30 + i));
  return dir;
}

}  // namespace

TEST_CASE("packages extract byte for byte, stored and MSZIP, in one file or two") {
  std::string dir = NewScratchFolder("roundtrip");
  TStubFiles stub = WriteStubFiles(dir);
  std::string product = ProductWithSubfolders(dir + "p/");
  struct { const char* options; const char* open; } cases[] = {
      {"--store", "setup.exe"},
      {"", "setup.exe"},
      {"--cab-file data.cab", "setup.exe"},
      {"--cab-file data.cab", "data.cab"},  // the separate cabinet on its own
  };
  for (auto& c : cases) {
    std::string label = std::string(c.options) + " " + c.open;
    CAPTURE(label);
    std::string out = NewScratchFolder("rt");
    REQUIRE(RunTool("build " + Quote(product) + " -o " + Quote(out + "setup.exe") + " " + StubArgs(stub) + " " + c.options).rc == 0);
    TRun l = RunTool("list " + Quote(out + c.open));
    INFO(l.err);
    CHECK(l.rc == 0);
    CHECK(l.out.find("  KESTIN\\kestin.ini\n") != std::string::npos);
    CHECK(l.out.find("    150000  ") != std::string::npos);
    CHECK(l.out.find("16 files, ") != std::string::npos);
    TRun x = RunTool("extract " + Quote(out + c.open) + " " + Quote(out + "x/y"));
    INFO(x.err);
    CHECK(x.rc == 0);
    CHECK(Tree(out + "x/y") == Tree(product));
  }
}

TEST_CASE("cabinets made by gcab extract byte for byte") {
  std::string dir = NewScratchFolder("gcab");
  std::string product = ProductWithSubfolders(dir + "p/");
  for (bool compress : {false, true}) {
    CAPTURE(compress);
    std::string cab = GcabCabinet(product, dir + (compress ? "z.cab" : "s.cab"), compress);
    std::string out = dir + (compress ? "xz" : "xs");
    TRun r = RunTool("extract " + Quote(cab) + " " + Quote(out));
    INFO(r.err);
    CHECK(r.rc == 0);
    CHECK(Tree(out) == Tree(product));
  }
}

TEST_CASE("extracted files get their stored time stamp; extract can pick files") {
  std::string dir = NewScratchFolder("pick");
  TCabEntry a;
  a.name = "KESTIN\\kestin.ini";
  a.data = {'x'};
  a.date = (20 << 9) | (6 << 5) | 15;  // 15 June 2000
  a.time = (8 << 11) | (30 << 5) | 5;  // 08:30:10
  TCabEntry b;
  b.name = "other.txt";
  b.data = {'y', 'z'};
  WriteWholeFile(dir + "t.cab", BuildStoredCabinet({a, b}));
  REQUIRE(RunTool("extract " + Quote(dir + "t.cab") + " " + Quote(dir + "x") + " kestin/KESTIN.INI").rc == 0);
  CHECK(Names(dir + "x") == std::vector<std::string>{"KESTIN"});
  struct stat st;
  REQUIRE(stat((dir + "x/KESTIN/kestin.ini").c_str(), &st) == 0);
  struct tm tm;
  localtime_r(&st.st_mtime, &tm);
  CHECK(tm.tm_year == 100);
  CHECK(tm.tm_mon == 5);
  CHECK(tm.tm_mday == 15);
  CHECK(tm.tm_hour == 8);
  CHECK(tm.tm_min == 30);
  CHECK(tm.tm_sec == 10);
  TRun missing = RunTool("extract " + Quote(dir + "t.cab") + " " + Quote(dir + "y") + " nothere.txt");
  CHECK(missing.rc == 1);
  CHECK(missing.err.find("has no file nothere.txt") != std::string::npos);
}

TEST_CASE("a stored name that leaves the target folder or names a device refuses the cabinet") {
  for (const char* evil : {"..\\evil.txt", "sub\\..\\..\\evil.txt", "\\abs.txt", "C:\\evil.txt", "c:evil.txt",
                           "CON", "sub\\nul.txt", "com1.log", "LPT9"}) {
    std::string name = evil;
    CAPTURE(name);
    std::string dir = NewScratchFolder("evil");
    TCabEntry good;
    good.name = "a-good-file.txt";
    good.data = {'g'};
    TCabEntry bad;
    bad.name = evil;
    bad.data = {'e', 'v', 'i', 'l'};
    WriteWholeFile(dir + "evil.cab", BuildStoredCabinet({good, bad}));
    fs::create_directories(dir + "target/in");
    TRun r = RunTool("extract " + Quote(dir + "evil.cab") + " " + Quote(dir + "target/in"));
    CHECK(r.rc == 1);
    CHECK(r.err.find("refusing to extract \"" + name + "\"") != std::string::npos);
    // Nothing at all was written, inside the target or beside it.
    CHECK(Names(dir + "target/in").empty());
    CHECK(Names(dir + "target") == std::vector<std::string>{"in"});
  }
}

TEST_CASE("damaged input fails with the file's name and leaves no partial file") {
  std::string dir = NewScratchFolder("damaged");
  TStubFiles stub = WriteStubFiles(dir);
  std::string product = MinimalProduct(dir + "p/");
  WriteFile(product + "data.bin", SomeBytes(200000, 8));
  REQUIRE(RunTool("build " + Quote(product) + " -o " + Quote(dir + "s.exe") + " --store " + StubArgs(stub)).rc == 0);
  std::vector<uint8_t> pkg = ReadWholeFile(dir + "s.exe");
  pkg.resize(pkg.size() - 50000);  // cut inside data.bin
  WriteWholeFile(dir + "cut.exe", pkg);
  TRun r = RunTool("extract " + Quote(dir + "cut.exe") + " " + Quote(dir + "x"));
  CHECK(r.rc == 1);
  CHECK(r.err.find(dir + "cut.exe") != std::string::npos);
  CHECK_FALSE(fs::exists(dir + "x/data.bin"));

  WriteFile(dir + "text.txt", "just some text, long enough to be looked at");
  r = RunTool("list " + Quote(dir + "text.txt"));
  CHECK(r.rc == 1);
  CHECK(r.err.find(dir + "text.txt: is neither a Kestin package nor a cabinet") != std::string::npos);

  // A package whose kestin value points anywhere but at its cabinet.
  std::vector<uint8_t> moved = ReadWholeFile(dir + "s.exe");
  moved.insert(moved.begin() + long(stub.stubSize), 16, 0);
  WriteWholeFile(dir + "moved.exe", moved);
  r = RunTool("list " + Quote(dir + "moved.exe"));
  CHECK(r.rc == 1);
  CHECK(r.err.find("no cabinet where the package says it starts") != std::string::npos);
}

TEST_CASE("all four compression types list and extract as cabextract extracts them") {
  std::string dir = NewScratchFolder("fourtypes");
  std::string mixed = TestDataPath("cab/mszip_lzx_qtm.cab");
  TRun listed = RunTool("list " + Quote(mixed));
  REQUIRE(listed.rc == 0);
  for (const char* name : {"mszip.txt", "lzx.txt", "qtm.txt"}) CHECK(listed.out.find(name) != std::string::npos);
  REQUIRE(RunTool("extract " + Quote(mixed) + " " + Quote(dir + "ours")).rc == 0);
  REQUIRE(RunShell("cabextract -q -d " + Quote(dir + "peer") + " " + Quote(mixed)).rc == 0);
  CHECK(Tree(dir + "ours") == Tree(dir + "peer"));
  CHECK(ReadWholeFile(dir + "ours/mszip.txt").size() == 57);
  CHECK(ReadWholeFile(dir + "ours/lzx.txt").size() == 187);
  CHECK(ReadWholeFile(dir + "ours/qtm.txt").size() == 59);

  // Stored files too, from a cabinet with no compression at all.
  std::string product = MinimalProduct(dir + "p/");
  REQUIRE(RunTool("build " + Quote(product) + " -o " + Quote(dir + "s.exe") + " --store " +
                  StubArgs(WriteStubFiles(dir))).rc == 0);
  REQUIRE(RunTool("extract " + Quote(dir + "s.exe") + " " + Quote(dir + "stored")).rc == 0);
  CHECK(Tree(dir + "stored") == Tree(product));
}
