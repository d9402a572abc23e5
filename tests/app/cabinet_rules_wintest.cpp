// Where the cabinet is looked for, what a cabinet set may name, and how the
// start-up and the cabinet layer report what is wrong: each case starts a
// package around the start-up probe.
#include <doctest/doctest.h>

#include "startup_package.h"

namespace {

bool HasMessage(const Run& r, const std::string& part) {
  for (const std::string& m : r.messages)
    if (m.find(part) != std::string::npos) return true;
  return false;
}

}  // namespace

TEST_CASE("a separate cabinet is read from beside the package, not from the folder it is started in") {
  Package p("besides");
  p.Write(BuildStoredCabinet(DemoFiles()), "product.cab");
  std::string elsewhere = NewScratchFolder("planted-cwd");
  std::string planted = std::string("[General]\r\nNext=PLANTED\r\n");
  Package q("plantedcab");
  q.Write(BuildStoredCabinet(DemoFiles(planted)), "product.cab");
  REQUIRE(CopyFileA((q.dir + "product.cab").c_str(), (elsewhere + "product.cab").c_str(), FALSE));
  p.cwd = elsewhere;
  Run r = p.Start();
  CHECK(r["startup"] == "ok");
  CHECK(r["text_Next"] == "&Next >");
}

TEST_CASE("a next cabinet named with a folder, drive or .. is refused with the cabinet error") {
  for (const char* next : {"..\\next.cab", "sub\\next.cab", "sub/next.cab", "C:next.cab", ".."}) {
    CAPTURE(next);
    Package p("nextname");
    TCabOptions options;
    options.nextCabinet = next;
    p.Write(BuildStoredCabinet(DemoFiles(), options), "product.cab");
    // The named file is there, so following the name would read it.
    CreateDirectoryA((p.dir + "sub").c_str(), nullptr);
    CopyFileA((p.dir + "product.cab").c_str(), (p.dir + "sub\\next.cab").c_str(), FALSE);
    Run r = p.Start("text KESTIN\\absent.txt");
    CHECK(r["startup"] == "ok");  // the script itself is in the first cabinet
    CHECK(r["text:KESTIN\\absent.txt"] == "");
    REQUIRE(r.messages.size() == 1);
    CHECK(r.messages[0].rfind("Error|Cabinet error : 10 0", 0) == 0);
    CHECK(r.messages[0].find(next) != std::string::npos);
  }
}

TEST_CASE("a library without the FDI calls, or one that cannot start, ends setup with a message") {
  Package bare("barelib");
  bare.library = ReadWholeFile(BinaryPath("tests/bare_lib.dll"));
  REQUIRE(!bare.library.empty());
  bare.Write(BuildStoredCabinet(DemoFiles()));
  Run r = bare.Start();
  CHECK(r["startup"] == "failed");
  REQUIRE(r.messages.size() == 1);
  CHECK(HasMessage(r, "it has no FDICreate"));
  CHECK(FolderEntries(bare.temp).empty());

  // FDICreate that fails without an error record.
  Package silent("silentlib");
  silent.library = ReadWholeFile(BinaryPath("tests/probe_lib.dll"));
  REQUIRE(!silent.library.empty());
  silent.Write(BuildStoredCabinet(DemoFiles()));
  r = silent.Start();
  CHECK(r["startup"] == "failed");
  REQUIRE(r.messages.size() == 1);
  CHECK(HasMessage(r, "cannot start its decompression library"));
  CHECK(FolderEntries(silent.temp).empty());
}

TEST_CASE("stored names with / are found, measured and extracted with their folders") {
  Package p("slash");
  std::vector<TCabEntry> files = DemoFiles();
  files[1].name = "KESTIN/welcome.txt";
  files[3].name = "docs/guide.txt";
  p.Write(BuildStoredCabinet(files));
  std::string target = NewScratchFolder("slash-target");
  Run r = p.Start("text KESTIN\\welcome.txt measure Files extract docs\\guide.txt \"" + target + "\"");
  CHECK(r.messages.empty());
  CHECK(r["text:KESTIN\\welcome.txt"] == "Welcome,\\r\\nfriend.");
  CHECK(r["measure:Files"] == std::to_string(1234 + 40000));
  CHECK(r["extract"] == "ok");
  CHECK(ReadWholeFile(target + "docs\\guide.txt").size() == 40000);
  SetFileAttributesA((target + "docs\\guide.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_CASE("a target file that cannot be created is named in the message; a missing one is told apart") {
  Package p("blocked");
  p.Write(BuildStoredCabinet(DemoFiles()));
  std::string target = NewScratchFolder("blocked-target");
  CreateDirectoryA((target + "readme.txt").c_str(), nullptr);  // a folder where the file goes
  Run r = p.Start("extract-all \"" + target + "\"");
  CHECK(r["extract"] == "failed");
  REQUIRE(r.messages.size() == 1);
  CHECK(r.messages[0].rfind("Error|Cabinet error : 8 ", 0) == 0);
  CHECK(r.messages[0].find("File: " + target + "readme.txt") != std::string::npos);

  r = p.Start("extract nothing.txt \"" + target + "\"");
  CHECK(r["extract"] == "missing");
  CHECK(r.messages.empty());
}
