// Cabinet sets: a folder that runs on from one cabinet into the next, with a
// block split across the two.
#include <doctest/doctest.h>

#include "cab_builder.h"
#include "memory_fdi.h"

using cabbuild::Block;
using cabbuild::Cabinet;
using cabbuild::Pattern;
using memfdi::Event;
using memfdi::Recorder;
using memfdi::Session;

namespace {

const size_t kSpan = 50000, kB1 = 3000;

// a.cab: "a1" in folder 0; "span" begins in folder 1, which runs on into b.cab.
// b.cab: "span" again (continued), "b1" behind it in the same folder, "b2" in
// a folder of its own.
struct Set {
  Cabinet a, b;
  std::vector<uint8_t> chain = Pattern(kSpan + kB1, 40);

  Set() {
    a.flags = kCabFlagNext;
    a.nextCab = "b.cab";
    a.nextDisk = "Disk 2";
    a.iCabinet = 0;
    a.folders.push_back(cabbuild::StoredFolder(Pattern(700, 41)));
    cabbuild::Folder chainA;
    chainA.blocks.push_back(Piece(0, 32768, 32768));
    chainA.blocks.push_back(Piece(32768, 10000, 0));  // first part of a split block
    a.folders.push_back(chainA);
    a.files = {File("a1", 0, 700, 0), File("span", 0, kSpan, kCabFolderContinuedToNext)};

    b.flags = kCabFlagPrev;
    b.prevCab = "a.cab";
    b.prevDisk = "Disk 1";
    b.iCabinet = 1;
    cabbuild::Folder chainB;
    chainB.blocks.push_back(Piece(42768, chain.size() - 42768, (uint16_t)(chain.size() - 32768)));
    b.folders.push_back(chainB);
    b.folders.push_back(cabbuild::StoredFolder(Pattern(900, 42)));
    b.files = {File("span", 0, kSpan, kCabFolderContinuedFromPrev), File("b1", kSpan, kB1, 0),
               File("b2", 0, 900, 1)};
  }
  Block Piece(size_t from, size_t n, uint16_t cbUncomp) {
    Block blk;
    blk.data.assign(chain.begin() + from, chain.begin() + from + n);
    blk.cbUncomp = cbUncomp;
    return blk;
  }
  static cabbuild::File File(const char* name, uint32_t offset, size_t size, uint16_t folder) {
    cabbuild::File f;
    f.name = name;
    f.offset = offset;
    f.size = (uint32_t)size;
    f.iFolder = folder;
    return f;
  }
  void PutInto(Session& s, const std::string& dir = "set\\") {
    s.Put(dir + "a.cab", a.Build());
    s.Put(dir + "b.cab", b.Build());
  }
};

std::vector<std::string> Trace(const Recorder& r) {
  std::vector<std::string> t;
  const char* kinds[] = {"info", "partial", "copy", "close", "next", "enum"};
  for (auto& e : r.events) t.push_back(std::string(kinds[e.type]) + ":" + e.psz1);
  return t;
}

// Extracts only the files named in `wanted`.
std::function<intptr_t(const Event&, TFdiNotification*)> Only(std::vector<std::string> wanted) {
  return [wanted](const Event& e, TFdiNotification* n) -> intptr_t {
    if (e.type == kFdintCopyFile) {
      for (size_t i = 0; i < wanted.size(); ++i)
        if (wanted[i] == e.psz1) return (intptr_t)(7000 + i);
      return 0;
    }
    if (e.type == kFdintCloseFileInfo) return 1;
    if (e.type == kFdintNextCabinet) return 1;
    return 0;
  };
}

}  // namespace

TEST_SUITE("FDI cabinet sets") {
  TEST_CASE("a file that runs on into the next cabinet is finished from it") {
    Set set;
    Session s;
    set.PutInto(s);
    Recorder r;
    REQUIRE(s.Copy("a.cab", "set\\", &r) == 1);
    CHECK(Trace(r) == std::vector<std::string>{"info:b.cab", "copy:a1", "close:a1", "copy:span",
                                               "next:b.cab", "info:", "close:span", "copy:b1",
                                               "close:b1", "copy:b2", "close:b2"});
    const Event* next = r.OfType(kFdintNextCabinet)[0];
    CHECK(next->psz2 == "Disk 2");
    CHECK(next->psz3 == "set\\");
    CHECK(next->fdie == kFdiNone);
    CHECK(r.OfType(kFdintCabinetInfo)[1]->iCabinet == 1);
    CHECK(s.Output(r, "a1") == Pattern(700, 41));
    CHECK(s.Output(r, "span") == std::vector<uint8_t>(set.chain.begin(), set.chain.begin() + kSpan));
    CHECK(s.Output(r, "b1") == std::vector<uint8_t>(set.chain.begin() + kSpan, set.chain.end()));
    CHECK(s.Output(r, "b2") == Pattern(900, 42));
    CHECK(s.disk.open.empty());
  }

  TEST_CASE("the next cabinet is not opened when no wanted file needs it") {
    Set set;
    Session s;
    set.PutInto(s);
    Recorder r;
    r.answer = Only({"a1"});
    REQUIRE(s.Copy("a.cab", "set\\", &r) == 1);
    CHECK(r.OfType(kFdintNextCabinet).empty());
    CHECK(s.disk.opened == std::vector<std::string>{"set\\a.cab"});
    CHECK(s.disk.written[7000] == Pattern(700, 41));
  }

  TEST_CASE("-1 to the next-cabinet notification aborts and closes the unfinished file") {
    Set set;
    Session s;
    set.PutInto(s);
    Recorder r;
    r.answer = [](const Event& e, TFdiNotification*) -> intptr_t {
      if (e.type == kFdintCopyFile) return e.psz1 == "span" ? 7001 : 0;
      return e.type == kFdintNextCabinet ? -1 : 0;
    };
    CHECK(s.Copy("a.cab", "set\\", &r) == 0);
    CHECK(s.error.oper == kFdiUserAbort);
    CHECK(s.disk.closed[7001]);
  }

  TEST_CASE("the caller may say where the next cabinet is") {
    Set set;
    Session s;
    s.Put("set\\a.cab", set.a.Build());
    s.Put("elsewhere\\b.cab", set.b.Build());
    Recorder r;
    r.answer = [](const Event& e, TFdiNotification* n) -> intptr_t {
      if (e.type == kFdintNextCabinet && e.fdie == kFdiCabinetNotFound) strcpy(n->psz3, "elsewhere\\");
      if (e.type == kFdintCopyFile) return e.psz1 == "span" ? 7001 : 0;
      return e.type == kFdintCloseFileInfo || e.type == kFdintNextCabinet ? 1 : 0;
    };
    REQUIRE(s.Copy("a.cab", "set\\", &r) == 1);
    auto nexts = r.OfType(kFdintNextCabinet);
    REQUIRE(nexts.size() == 2);
    CHECK(nexts[0]->fdie == kFdiNone);
    CHECK(nexts[1]->fdie == kFdiCabinetNotFound);
    CHECK(s.disk.written[7001] == std::vector<uint8_t>(set.chain.begin(), set.chain.begin() + kSpan));
  }

  TEST_CASE("a wrong next cabinet fails once the caller has nothing new to offer") {
    Set set;
    Session s;
    SUBCASE("another set") { set.b.setID ^= 1; }
    SUBCASE("another place in the set") { set.b.iCabinet = 2; }
    SUBCASE("other reserved-area sizes") { set.b.dataReserve = 4; }
    set.PutInto(s);
    Recorder r;
    r.answer = Only({"span"});
    CHECK(s.Copy("a.cab", "set\\", &r) == 0);
    CHECK((s.error.oper == kFdiWrongCabinet || s.error.oper == kFdiReserveMismatch));
    auto nexts = r.OfType(kFdintNextCabinet);
    REQUIRE(nexts.size() == 2);
    CHECK(nexts[1]->fdie == s.error.oper);
    CHECK(s.disk.closed[7000]);
  }

  TEST_CASE("starting at the second cabinet") {
    Set set;
    Session s;
    set.PutInto(s);
    Recorder r;
    SUBCASE("a continued file is reported as partial and the rest extract") {
      r.answer = Only({"b2"});
      REQUIRE(s.Copy("b.cab", "set\\", &r) == 1);
      const Event* partial = r.OfType(kFdintPartialFile).at(0);
      CHECK(partial->psz1 == "span");
      CHECK(partial->psz2 == "a.cab");
      CHECK(partial->psz3 == "Disk 1");
      CHECK(s.disk.written[7000] == Pattern(900, 42));
    }
    SUBCASE("-1 to the partial-file notification aborts") {
      r.answer = [](const Event& e, TFdiNotification*) -> intptr_t {
        return e.type == kFdintPartialFile ? -1 : 0;
      };
      CHECK(s.Copy("b.cab", "set\\", &r) == 0);
      CHECK(s.error.oper == kFdiUserAbort);
      CHECK(r.OfType(kFdintCopyFile).empty());
    }
    SUBCASE("a file of the continued folder cannot be reached from here") {
      r.answer = Only({"b1"});
      CHECK(s.Copy("b.cab", "set\\", &r) == 0);
      CHECK(s.error.oper == kFdiWrongCabinet);
      CHECK(r.OfType(kFdintCloseFileInfo).empty());
    }
  }

  TEST_CASE("a split block in a cabinet with no successor is refused") {
    Set set;
    set.a.flags = 0;
    set.a.files[1].iFolder = 1;
    set.a.files[1].size = 42768;
    Session s;
    set.PutInto(s);
    Recorder r;
    r.answer = Only({"span"});
    CHECK(s.Copy("a.cab", "set\\", &r) == 0);
    CHECK(s.error.oper == kFdiCorruptCabinet);
  }
}
