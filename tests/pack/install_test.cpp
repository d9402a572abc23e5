// make install lays kestin-pack out so the installed tool finds its setup
// program and library by itself, wherever the tree is moved. The tool and the
// Windows pieces are the ones already built, so nothing is compiled here.
#include <doctest/doctest.h>

#include "pack_test_support.h"

using namespace packtest;

TEST_CASE("make install DESTDIR=... gives a tool that builds with no --stub or --dll") {
  std::string dir = NewScratchFolder("install");
  fs::create_directories(dir + "win32");
  TStubFiles win = WriteStubFiles(dir + "win32/");
  fs::rename(win.stub, dir + "win32/setup.exe");
  std::string dest = dir + "dest";
  TRun m = RunShell("make -s -C " + Quote(KESTIN_SOURCE_DIR) + " install DESTDIR=" + Quote(dest) +
                    " PREFIX=/opt/kestin INSTALL_TOOL=" + Tool() + " INSTALL_WIN32=" + Quote(dir + "win32"));
  INFO(m.out, m.err);
  REQUIRE(m.rc == 0);
  std::string prefix = dest + "/opt/kestin/";
  CHECK(ReadWholeFile(prefix + "share/kestin/setup.exe") == FakeStub());
  CHECK(ReadWholeFile(prefix + "share/kestin/uncab.dll") == FakeLibrary());
  CHECK(fs::exists(prefix + "share/man/man1/kestin-pack.1.gz"));
  CHECK((fs::status(prefix + "bin/kestin-pack").permissions() & fs::perms::owner_exec) != fs::perms::none);

  // Moved as a whole, the tree still finds its pieces.
  fs::rename(prefix, dir + "moved");
  std::string product = MinimalProduct(dir + "p/");
  TRun b = RunShell(Quote(dir + "moved/bin/kestin-pack") + " build " + Quote(product) + " -o " + Quote(dir + "P.exe"));
  INFO(b.err);
  CHECK(b.rc == 0);
  std::vector<uint8_t> pkg = ReadWholeFile(dir + "P.exe");
  REQUIRE(pkg.size() > win.stubSize + 30720);
  CHECK(pkg[win.stubSize] == 'M');  // the installed library follows the program

  TRun bad = RunShell("make -s -C " + Quote(KESTIN_SOURCE_DIR) + " install DESTDIR=" + Quote(dest) +
                      " PREFIX=relative INSTALL_TOOL=" + Tool() + " INSTALL_WIN32=" + Quote(dir + "win32"));
  CHECK(bad.rc != 0);
  CHECK(bad.err.find("PREFIX must be an absolute path") != std::string::npos);
}
