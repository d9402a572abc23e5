// kestin-pack test: every file decoded and every checksum checked without
// writing; damage named by file, a cut-short package called truncated.
#include <doctest/doctest.h>

#include "pack_test_support.h"

using namespace packtest;

namespace {

struct TBuilt {
  std::string dir, package;
  size_t cabStart;
};

TBuilt BuildBig(const char* tag, const char* options) {
  TBuilt b;
  b.dir = NewScratchFolder(tag);
  TStubFiles stub = WriteStubFiles(b.dir);
  std::string product = MinimalProduct(b.dir + "p/");
  WriteFile(product + "big.bin", SomeBytes(200000, 7));
  b.package = b.dir + "setup.exe";
  TRun r = RunTool("build " + Quote(product) + " -o " + Quote(b.package) + " " + StubArgs(stub) + " " + options);
  REQUIRE(r.rc == 0);
  b.cabStart = stub.stubSize + 30720;
  return b;
}

}  // namespace

TEST_CASE("test decodes a sound package and writes nothing") {
  TBuilt b = BuildBig("testok", "");
  std::vector<std::string> before = Names(b.dir);
  TRun t = RunTool("test " + Quote(b.package));
  INFO(t.err);
  CHECK(t.rc == 0);
  CHECK(t.out.find("2 files, 200025 bytes decoded, every checksum good") != std::string::npos);
  CHECK(Names(b.dir) == before);
}

TEST_CASE("a damaged block fails test and names the file, stored or MSZIP") {
  for (const char* options : {"", "--store"}) {
    CAPTURE(options);
    TBuilt b = BuildBig("testbad", options);
    std::vector<uint8_t> pkg = ReadWholeFile(b.package);
    size_t middle = b.cabStart + (pkg.size() - b.cabStart) / 2;  // inside big.bin's data
    pkg[middle] ^= 0x40;
    WriteWholeFile(b.package, pkg);
    TRun t = RunTool("test " + Quote(b.package));
    CHECK(t.rc == 1);
    CHECK(t.err.find("big.bin: the cabinet is damaged") != std::string::npos);
    CHECK(RunTool("list " + Quote(b.package)).rc == 0);  // the file table is whole
  }
}

TEST_CASE("a package cut short is called truncated by list and test") {
  TBuilt b = BuildBig("testcut", "");
  std::vector<uint8_t> pkg = ReadWholeFile(b.package);
  for (size_t keep : {b.cabStart + 60, pkg.size() - 10}) {
    CAPTURE(keep);
    WriteWholeFile(b.package, std::vector<uint8_t>(pkg.begin(), pkg.begin() + long(keep)));
    TRun t = RunTool("test " + Quote(b.package));
    CHECK(t.rc == 1);
    CHECK(t.err.find("truncated") != std::string::npos);
    if (keep == b.cabStart + 60) {  // inside the file table
      TRun l = RunTool("list " + Quote(b.package));
      CHECK(l.rc == 1);
      CHECK(l.err.find(": truncated: the cabinet declares ") != std::string::npos);
    }
  }
}

TEST_CASE("a cabinet that declares no files or no folders is refused by test and extract") {
  TBuilt b = BuildBig("testempty", "--store");
  std::vector<uint8_t> cab = PlainCabinet(ReadWholeFile(b.package), b.cabStart);
  for (size_t field : {size_t(26), size_t(28)}) {  // cFolders, cFiles
    std::vector<uint8_t> bad = cab;
    bad[field] = bad[field + 1] = 0;
    WriteWholeFile(b.dir + "bad.cab", bad);
    const char* says = field == 26 ? "declares no folders" : "declares no files";
    for (const char* command : {"test ", "extract "}) {
      CAPTURE(command);
      TRun r = RunTool(command + Quote(b.dir + "bad.cab") + (command[0] == 'e' ? " " + Quote(b.dir + "x") : ""));
      CHECK(r.rc == 1);
      CHECK(r.err.find(says) != std::string::npos);
    }
  }
  CHECK_FALSE(fs::exists(b.dir + "x"));
}
