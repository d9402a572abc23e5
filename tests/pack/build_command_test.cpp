// kestin-pack build, run as a user runs it; its cabinets checked by two
// independent readers (cabextract and gcab).
#include <doctest/doctest.h>

#include <sys/stat.h>

#include <algorithm>
#include <unistd.h>

#include "pack_test_support.h"
#include "cab_writer.h"
#include "stub_patch.h"

using namespace packtest;

namespace {

// A product with subfolders, empty files, a file spanning many blocks and
// enough small files to fill several shared folders.
std::string RichProduct(const std::string& dir) {
  MinimalProduct(dir);
  WriteFile(dir + "KESTIN/license.txt", "Use it well.\r\n");
  WriteFile(dir + "empty.txt", std::vector<uint8_t>());
  WriteFile(dir + "bin/deep/er/also-empty", std::vector<uint8_t>());
  WriteFile(dir + "bin/app.exe", SomeBytes(300000, 1));
  WriteFile(dir + "bin/exact-block.dat", SomeBytes(32768, 2));
  for (int i = 0; i < 40; i++) WriteFile(dir + "docs/page" + std::to_string(i) + ".txt", SomeBytes(3000 + 97 * i, 10 + i));
  return dir;
}

void CheckPeersExtract(const std::string& cabPath, const std::string& product) {
  std::string scratch = NewScratchFolder("peers");
  TRun t = RunShell("cabextract -t " + Quote(cabPath));
  INFO(t.out, t.err);
  CHECK(t.rc == 0);
  CHECK(t.out.find("All done, no errors.") != std::string::npos);
  REQUIRE(RunShell("cabextract -q -d " + Quote(scratch + "c") + " " + Quote(cabPath)).rc == 0);
  CHECK(Tree(scratch + "c") == Tree(product));
  fs::create_directories(scratch + "g");
  REQUIRE(RunShell("gcab -x -C " + Quote(scratch + "g") + " " + Quote(cabPath)).rc == 0);
  CHECK(Tree(scratch + "g") == Tree(product));
}

}  // namespace

TEST_CASE("packages, MSZIP and stored, extract byte for byte with cabextract and gcab") {
  std::string dir = NewScratchFolder("peers");
  TStubFiles stub = WriteStubFiles(dir);
  std::string product = RichProduct(dir + "product/");
  for (const char* mode : {"", "--store"}) {
    std::string modeText = mode;
    CAPTURE(modeText);
    std::string pkg = dir + "setup.exe";
    TRun r = RunTool("build " + Quote(product) + " -o " + Quote(pkg) + " " + StubArgs(stub) + " " + mode);
    INFO(r.err);
    REQUIRE(r.rc == 0);
    std::vector<uint8_t> bytes = ReadWholeFile(pkg);
    REQUIRE(bytes.size() > stub.stubSize + 30720);
    WriteWholeFile(dir + "plain.cab", PlainCabinet(bytes, stub.stubSize + 30720));
    CheckPeersExtract(dir + "plain.cab", product);
  }
}

TEST_CASE("stored names use backslashes and come in a stable sorted order") {
  std::string dir = NewScratchFolder("names");
  TStubFiles stub = WriteStubFiles(dir);
  std::string product = MinimalProduct(dir + "p/");
  WriteFile(product + "b.txt", "b");
  WriteFile(product + "A.txt", "a");
  WriteFile(product + "sub/c.txt", "c");
  REQUIRE(RunTool("build " + Quote(product) + " -o " + Quote(dir + "s.exe") + " " + StubArgs(stub)).rc == 0);
  WriteWholeFile(dir + "s.cab", PlainCabinet(ReadWholeFile(dir + "s.exe"), stub.stubSize + 30720));
  TRun l = RunShell("gcab -l " + Quote(dir + "s.cab") + " | cut -d' ' -f1");
  CHECK(l.out == "A.txt\nb.txt\nKESTIN\\kestin.ini\nsub\\c.txt\n");

  // The same tree gives the same bytes, whatever the number of threads.
  REQUIRE(RunTool("build " + Quote(product) + " -o " + Quote(dir + "t.exe") + " --threads 1 " + StubArgs(stub)).rc == 0);
  CHECK(ReadWholeFile(dir + "s.exe") == ReadWholeFile(dir + "t.exe"));
}

TEST_CASE("a large file keeps its history across compression batches and threads") {
  // 5 MiB crosses several batches of blocks, so a block's dictionary comes from
  // the previous batch; repeats 40 KiB apart are only found with it.
  std::string dir = NewScratchFolder("large");
  TStubFiles stub = WriteStubFiles(dir);
  std::string product = MinimalProduct(dir + "p/");
  // Runs of zeros as well: a block compressed against the wrong (say, empty)
  // history would refer to zeros that the reader's history does not hold.
  std::vector<uint8_t> unit = SomeBytes(20000, 99), big;
  std::fill(unit.begin() + 5000, unit.begin() + 6000, 0);
  while (big.size() < (5u << 20)) big.insert(big.end(), unit.begin(), unit.end());
  WriteFile(product + "big.bin", big);
  std::vector<uint8_t> one, two;
  for (const char* threads : {"1", "2", "5"}) {
    REQUIRE(RunTool("build " + Quote(product) + " -o " + Quote(dir + "l.exe") + " --threads " + threads + " " + StubArgs(stub)).rc == 0);
    std::vector<uint8_t> bytes = ReadWholeFile(dir + "l.exe");
    if (one.empty()) one = bytes;
    CHECK(bytes == one);
  }
  // Repeats are found through the dictionary: far smaller than the input.
  CHECK(one.size() < big.size() / 20);
  WriteWholeFile(dir + "l.cab", PlainCabinet(one, stub.stubSize + 30720));
  CheckPeersExtract(dir + "l.cab", product);
}

TEST_CASE("a cabinet shorter than 128 bytes is scrambled whole and comes back") {
  std::string dir = NewScratchFolder("tiny");
  TStubFiles stub = WriteStubFiles(dir);
  std::string product = dir + "p/";
  WriteFile(product + "KESTIN/kestin.ini", "[General]\nCaption=1\n");
  REQUIRE(RunTool("build " + Quote(product) + " -o " + Quote(dir + "t.exe") + " --store " + StubArgs(stub)).rc == 0);
  std::vector<uint8_t> pkg = ReadWholeFile(dir + "t.exe");
  std::vector<uint8_t> stored(pkg.begin() + long(stub.stubSize + 30720), pkg.end());
  REQUIRE(stored.size() < 128);
  CHECK(stored[0] == ('M' ^ 0xE1));
  CHECK(stored.back() == ('\n' ^ (0x3C5A96E1u >> (8 * ((stored.size() - 1) & 3)) & 0xFF)));
  std::vector<uint8_t> cab = PlainCabinet(pkg, stub.stubSize + 30720);
  WriteWholeFile(dir + "t.cab", cab);
  CheckPeersExtract(dir + "t.cab", product);

  // Nothing but empty files: one folder without any data block. A package
  // always carries a script with settings, so the writer is driven directly.
  WriteFile(dir + "empty/a.txt", std::vector<uint8_t>());
  TCabInput in;
  in.storedName = "a.txt";
  in.sourcePath = dir + "empty/a.txt";
  in.date = (1 << 5) | 1;
  TFile f;
  std::string why;
  uint64_t size = 0;
  REQUIRE(f.OpenWrite(dir + "e.cab", &why));
  REQUIRE(Cab_Write({in}, TCabWriteOptions(), &f, dir + "e.cab", 0, &size, &why));
  REQUIRE(f.Close(&why));
  CheckPeersExtract(dir + "e.cab", dir + "empty/");
}

TEST_CASE("the version values are patched in place and the library fills its slot") {
  std::string dir = NewScratchFolder("patch");
  TStubFiles stub = WriteStubFiles(dir, 1234);
  std::string product = MinimalProduct(dir + "p/");
  REQUIRE(RunTool("build " + Quote(product) + " -o " + Quote(dir + "self.exe") + " " + StubArgs(stub)).rc == 0);
  std::vector<uint8_t> pkg = ReadWholeFile(dir + "self.exe");
  std::vector<uint8_t> original = FakeStub();
  std::vector<uint8_t> image(pkg.begin(), pkg.begin() + long(original.size()));
  std::string kestin, cabnam;
  REQUIRE(ReadVersionValue(image, "kestin", &kestin));
  REQUIRE(ReadVersionValue(image, "cabnam", &cabnam));
  CHECK(kestin == std::to_string(original.size()) + std::string(16 - std::to_string(original.size()).size(), ' '));
  CHECK(cabnam == "self" + std::string(256, ' '));
  // Everything but the values' characters is the stub as built.
  size_t differing = 0;
  for (size_t i = 0; i < original.size(); i++) differing += image[i] != original[i];
  CHECK(differing == std::to_string(original.size()).size() + 4);
  CHECK(std::vector<uint8_t>(pkg.begin() + long(original.size()), pkg.begin() + long(original.size()) + 1234) ==
        FakeLibrary(1234));
  CHECK(pkg[original.size() + 1234] == 0);
  CHECK(pkg[original.size() + 30719] == 0);
  CHECK(pkg[original.size() + 30720] == ('M' ^ 0xE1));
}

TEST_CASE("--cab-file writes program and library, and the cabinet beside them") {
  std::string dir = NewScratchFolder("sep");
  TStubFiles stub = WriteStubFiles(dir);
  std::string product = RichProduct(dir + "p/");
  fs::create_directories(dir + "out");
  TRun r = RunTool("build " + Quote(product) + " -o " + Quote(dir + "out/setup.exe") + " --cab-file data.cab " + StubArgs(stub));
  INFO(r.err);
  REQUIRE(r.rc == 0);
  std::vector<uint8_t> pkg = ReadWholeFile(dir + "out/setup.exe");
  CHECK(pkg.size() == stub.stubSize + 30720);
  std::string cabnam;
  REQUIRE(ReadVersionValue(pkg, "cabnam", &cabnam));
  CHECK(cabnam.substr(0, 9) == "data.cab ");
  WriteWholeFile(dir + "plain.cab", PlainCabinet(ReadWholeFile(dir + "out/data.cab"), 0));
  CheckPeersExtract(dir + "plain.cab", product);

  for (const char* bad : {"self", "sub/data.cab", " data.cab", "con.cab"}) {
    std::string badText = bad;
    CAPTURE(badText);
    TRun b = RunTool("build " + Quote(product) + " -o " + Quote(dir + "x.exe") + " --cab-file " + Quote(bad) + " " + StubArgs(stub));
    CHECK(b.rc == 2);
    CHECK(b.err.find(bad) != std::string::npos);
  }
}

TEST_CASE("a package is never written into, onto or beside-as-stdout the source folder") {
  std::string dir = NewScratchFolder("inside");
  TStubFiles stub = WriteStubFiles(dir);
  std::string product = MinimalProduct(dir + "p/");
  fs::create_directories(product + "sub");
  for (const std::string& out : {product + "setup.exe", product + "sub/setup.exe", product.substr(0, product.size() - 1),
                                 product + "../p/x.exe"}) {
    CAPTURE(out);
    TRun r = RunTool("build " + Quote(product) + " -o " + Quote(out) + " " + StubArgs(stub));
    CHECK(r.rc == 1);
    CHECK(r.err.find("source folder") != std::string::npos);
    CHECK(r.err.find("write") != std::string::npos);
  }
  CHECK_FALSE(fs::exists(product + "setup.exe"));
  TRun r = RunTool("build " + Quote(product) + " -o - " + StubArgs(stub));
  CHECK(r.rc == 2);
  CHECK(r.err.find("give a file name") != std::string::npos);
}

TEST_CASE("without --stub and --dll the release build beside the tool is used") {
  // The tool looks in ../win32/ from its own folder (build/host -> build/win32).
  std::string dir = NewScratchFolder("defaults");
  fs::create_directories(dir + "host");
  fs::create_directories(dir + "win32");
  fs::copy_file(BinaryPath("kestin-pack"), dir + "host/kestin-pack");
  std::string product = MinimalProduct(dir + "p/");
  TRun missing = RunShell(Quote(dir + "host/kestin-pack") + " build " + Quote(product) + " -o " + Quote(dir + "a.exe"));
  CHECK(missing.rc == 1);
  CHECK(missing.err.find(dir + "host/../win32/setup.exe: no setup program there") != std::string::npos);
  CHECK(missing.err.find("--stub") != std::string::npos);

  TStubFiles stub = WriteStubFiles(dir + "win32/");
  fs::rename(stub.stub, dir + "win32/setup.exe");
  TRun r = RunShell(Quote(dir + "host/kestin-pack") + " build " + Quote(product) + " -o " + Quote(dir + "a.exe"));
  INFO(r.err);
  CHECK(r.rc == 0);
  std::vector<uint8_t> pkg = ReadWholeFile(dir + "a.exe");
  REQUIRE(pkg.size() > stub.stubSize + 30720);
  CHECK(pkg[stub.stubSize] == 'M');
}

TEST_CASE("with SOURCE_DATE_EPOCH two checkouts with different file times build the same bytes") {
  std::string dir = NewScratchFolder("epoch");
  TStubFiles stub = WriteStubFiles(dir);
  std::string a = RichProduct(dir + "a/"), b = RichProduct(dir + "b/");
  auto touchAll = [](const std::string& root, const char* stamp) {
    REQUIRE(RunShell("find " + Quote(root) + " -type f -exec touch -d '" + stamp + "' {} +").rc == 0);
  };
  touchAll(a, "2030-01-02 03:04:05");
  touchAll(b, "2031-06-07 08:09:10");
  // One file older than the epoch keeps its own time, in UTC.
  REQUIRE(RunShell("touch -d '2001-02-03 04:05:06 UTC' " + Quote(a + "empty.txt") + " " + Quote(b + "empty.txt")).rc == 0);
  const std::string epoch = "SOURCE_DATE_EPOCH=1700000000 TZ=Asia/Tokyo ";  // 2023-11-14 22:13:20 UTC
  auto build = [&](const std::string& product, const std::string& out, const std::string& env) {
    TRun r = RunShell(env + Tool() + " build " + Quote(product) + " -o " + Quote(out) + " " + StubArgs(stub));
    INFO(r.err);
    REQUIRE(r.rc == 0);
    return ReadWholeFile(out);
  };
  std::vector<uint8_t> pa = build(a, dir + "a.exe", epoch);
  CHECK(pa == build(b, dir + "b.exe", epoch));
  CHECK(pa == build(b, dir + "c.exe", "SOURCE_DATE_EPOCH=1700000000 TZ=America/Denver "));
  CHECK(pa != build(b, dir + "d.exe", "TZ=UTC "));

  TRun l = RunTool("list " + Quote(dir + "a.exe"));
  CHECK(l.out.find("2023-11-14 22:13:20  KESTIN\\kestin.ini") != std::string::npos);
  CHECK(l.out.find("2001-02-03 04:05:06  empty.txt") != std::string::npos);

  TRun bad = RunShell("SOURCE_DATE_EPOCH=yesterday " + Tool() + " build " + Quote(a) + " -o " + Quote(dir + "e.exe") + " " + StubArgs(stub));
  CHECK(bad.rc == 1);
  CHECK(bad.err.find("SOURCE_DATE_EPOCH=yesterday is not a number") != std::string::npos);
}

TEST_CASE("build says one line by default, every file with -v, nothing but errors with -q") {
  std::string dir = NewScratchFolder("talk");
  TStubFiles stub = WriteStubFiles(dir);
  std::string product = RichProduct(dir + "p/");
  std::string base = "build " + Quote(product) + " " + StubArgs(stub) + " -o ";
  TRun plain = RunTool(base + Quote(dir + "a.exe"));
  REQUIRE(plain.rc == 0);
  CHECK(std::count(plain.out.begin(), plain.out.end(), '\n') == 1);
  CHECK(plain.out.find(": 46 files, ") != std::string::npos);
  CHECK(plain.out.find(" warnings\n") != std::string::npos);  // the unlisted files

  TRun v = RunTool(base + Quote(dir + "b.exe") + " -v");
  REQUIRE(v.rc == 0);
  CHECK(v.out.find("     0      300000  bin\\app.exe\n") != std::string::npos);
  CHECK(v.out.find("folder 0: 300000 bytes stored as ") != std::string::npos);
  CHECK(v.out.find(": 46 files, ") != std::string::npos);

  TRun q = RunTool(base + Quote(dir + "c.exe") + " -q");
  CHECK(q.rc == 0);
  CHECK(q.out == "");
  CHECK(q.err == "");
  WriteFile(product + "KESTIN/kestin.ini", "[Genral]\nCaption=x\n");
  q = RunTool(base + Quote(dir + "d.exe") + " --quiet");
  CHECK(q.rc == 1);
  CHECK(q.err.find("unknown section; did you mean [General]?") != std::string::npos);
  CHECK(RunTool(base + Quote(dir + "e.exe") + " -q -v").rc == 2);
}

TEST_CASE("a non-ASCII name is stored as UTF-8 with the cabinet's UTF-8 flag") {
  std::string dir = NewScratchFolder("utf8name");
  TStubFiles stub = WriteStubFiles(dir);
  std::string product = MinimalProduct(dir + "p/");
  const std::string name = "\xC3\x9C" "ber uns \xE2\x80\x93 Read Me.txt";  // Über uns – Read Me.txt
  WriteFile(product + name, "hello");
  REQUIRE(RunTool("build " + Quote(product) + " -o " + Quote(dir + "u.exe") + " " + StubArgs(stub)).rc == 0);
  std::vector<uint8_t> cab = PlainCabinet(ReadWholeFile(dir + "u.exe"), stub.stubSize + 30720);
  std::string bytes(cab.begin(), cab.end());
  size_t at = bytes.find(name + '\0');
  REQUIRE(at != std::string::npos);
  unsigned attribs = cab[at - 2] | cab[at - 1] << 8;  // CFFILE: attribs just before the name
  CHECK((attribs & 0x80) != 0);
  WriteWholeFile(dir + "u.cab", cab);
  CHECK(RunShell("cabextract -q -d " + Quote(dir + "x") + " " + Quote(dir + "u.cab")).rc == 0);
  CHECK(ReadText(dir + "x/" + name) == "hello");
}
