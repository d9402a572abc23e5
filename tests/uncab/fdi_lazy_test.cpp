// Compressed folders are decoded only as far as a wanted file needs, and a
// folder left part-read goes on in the next call instead of starting over.
#include <doctest/doctest.h>

#include "block_codec.h"
#include "cab_builder.h"
#include "memory_fdi.h"

using cabbuild::Cabinet;
using memfdi::Event;
using memfdi::Recorder;
using memfdi::Session;

namespace {

// Folder 0: "first" (a few blocks) then "rest" (many blocks); folder 1: "other".
struct TwoFolders {
  std::vector<uint8_t> first = TextData(150000, 1), rest = TextData(600000, 2),
                       other = TextData(3000, 3);
  Cabinet cab;
  size_t folder0Bytes = 0;
  TwoFolders() {
    std::vector<uint8_t> all = first;
    all.insert(all.end(), rest.begin(), rest.end());
    cab.folders = {cabbuild::MszipFolder(all), cabbuild::MszipFolder(other)};
    for (auto& b : cab.folders[0].blocks) folder0Bytes += b.data.size();
    cab.files.resize(3);
    cab.files[0].name = "first";
    cab.files[0].size = (uint32_t)first.size();
    cab.files[1].name = "rest";
    cab.files[1].offset = (uint32_t)first.size();
    cab.files[1].size = (uint32_t)rest.size();
    cab.files[2].name = "other";
    cab.files[2].size = (uint32_t)other.size();
    cab.files[2].iFolder = 1;
  }
};

std::function<intptr_t(const Event&, TFdiNotification*)> Want(std::string name, intptr_t h) {
  return [name, h](const Event& e, TFdiNotification*) -> intptr_t {
    if (e.type == kFdintCopyFile) return e.psz1 == name ? h : 0;
    return e.type == kFdintCloseFileInfo ? 1 : 0;
  };
}

}  // namespace

TEST_SUITE("FDI lazy decoding of compressed folders") {
  TEST_CASE("a folder with no wanted file is not read") {
    TwoFolders t;
    REQUIRE(t.folder0Bytes > 100000);
    Session s;
    s.Put("c.cab", t.cab.Build());
    Recorder r;
    r.answer = Want("other", 1);
    REQUIRE(s.Copy("c.cab", "", &r) == 1);
    CHECK(s.disk.written[1] == t.other);
    CHECK(s.disk.bytesRead < 20000);
  }

  TEST_CASE("a folder is read only up to the end of the wanted file") {
    TwoFolders t;
    Session s;
    s.Put("c.cab", t.cab.Build());
    Recorder r;
    r.answer = Want("first", 1);
    REQUIRE(s.Copy("c.cab", "", &r) == 1);
    CHECK(s.disk.written[1] == t.first);
    CHECK(s.disk.bytesRead < t.folder0Bytes / 2);
  }

  TEST_CASE("one file per call goes on through the folder instead of starting over") {
    TwoFolders t;
    Session s;
    s.Put("c.cab", t.cab.Build());
    Recorder r1, r2;
    r1.answer = Want("first", 1);
    r2.answer = Want("rest", 2);
    REQUIRE(s.Copy("c.cab", "", &r1) == 1);
    size_t before = s.disk.bytesRead;
    REQUIRE(s.Copy("c.cab", "", &r2) == 1);
    CHECK(s.disk.written[2] == t.rest);
    size_t goingOn = s.disk.bytesRead - before;
    // The same request in a fresh context has to read the first file's blocks again.
    Session fresh;
    fresh.Put("c.cab", t.cab.Build());
    Recorder r3;
    r3.answer = Want("rest", 3);
    REQUIRE(fresh.Copy("c.cab", "", &r3) == 1);
    size_t firstBlocks = 0;
    for (int i = 0; i < 4; ++i) firstBlocks += t.cab.folders[0].blocks[i].data.size();
    CHECK(goingOn + firstBlocks - 8192 <= fresh.disk.bytesRead);
  }

  TEST_CASE("every file of a compressed cabinet comes out whole") {
    TwoFolders t;
    Session s;
    s.Put("c.cab", t.cab.Build());
    Recorder r;
    REQUIRE(s.Copy("c.cab", "", &r) == 1);
    CHECK(s.Output(r, "first") == t.first);
    CHECK(s.Output(r, "rest") == t.rest);
    CHECK(s.Output(r, "other") == t.other);
  }
}
