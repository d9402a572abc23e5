// The FDI engine over in-memory callbacks: what the caller is told, how its
// answers steer the copy, what reaches the output, and what is refused.
#include <doctest/doctest.h>

#include "cab_builder.h"
#include "memory_fdi.h"

using cabbuild::Cabinet;
using cabbuild::Pattern;
using memfdi::Event;
using memfdi::Recorder;
using memfdi::Session;

namespace {

// Three files in two stored folders; the second file spans blocks.
Cabinet ThreeFiles() {
  Cabinet c = cabbuild::StoredCabinet(
      {{{"first.txt", Pattern(100, 1)}, {"dir\\second.bin", Pattern(70000, 2)}},
       {{"third.dat", Pattern(5, 3)}}});
  c.files[0].attribs = 0x21;
  c.files[1].attribs = 0x20 | kCabAttribExecute;
  c.files[2].attribs = 0x20 | kCabAttribUtf8Name;
  c.files[2].date = 0x1234;
  c.files[2].time = 0x4321;
  return c;
}

}  // namespace

TEST_SUITE("FDI notifications") {
  TEST_CASE("a cabinet is announced, then every file in order with its stored fields") {
    Session s;
    Cabinet c = ThreeFiles();
    c.flags = kCabFlagNext;
    c.nextCab = "disk2.cab";
    c.nextDisk = "Disk 2";
    c.iCabinet = 0;
    c.setID = 77;
    s.Put("media\\one.cab", c.Build());
    Recorder r;
    REQUIRE(s.Copy("one.cab", "media\\", &r) == 1);
    std::vector<int> types;
    for (auto& e : r.events) types.push_back(e.type);
    CHECK(types == std::vector<int>{kFdintCabinetInfo, kFdintCopyFile, kFdintCloseFileInfo,
                                    kFdintCopyFile, kFdintCloseFileInfo, kFdintCopyFile,
                                    kFdintCloseFileInfo});
    const Event& info = r.events[0];
    CHECK(info.psz1 == "disk2.cab");
    CHECK(info.psz2 == "Disk 2");
    CHECK(info.psz3 == "media\\");
    CHECK(info.setID == 77);
    CHECK(info.pv == &r);
    auto copies = r.OfType(kFdintCopyFile);
    CHECK(copies[0]->psz1 == "first.txt");
    CHECK(copies[0]->cb == 100);
    CHECK(copies[1]->psz1 == "dir\\second.bin");
    CHECK(copies[1]->cb == 70000);
    CHECK(copies[2]->psz1 == "third.dat");
    CHECK(copies[2]->date == 0x1234);
    CHECK(copies[2]->time == 0x4321);
    CHECK(copies[2]->attribs == (0x20 | kCabAttribUtf8Name));
    CHECK(s.disk.opened == std::vector<std::string>{"media\\one.cab"});
    CHECK(s.disk.openFlags[0] == kFdiOpenBinary);
    CHECK(s.disk.openModes[0] == kFdiOpenMode);
  }

  TEST_CASE("close-file-info repeats the handle and stored word and flags the execute bit") {
    Session s;
    s.Put("one.cab", ThreeFiles().Build());
    Recorder r;
    REQUIRE(s.Copy("one.cab", "", &r) == 1);
    auto closes = r.OfType(kFdintCloseFileInfo);
    REQUIRE(closes.size() == 3);
    CHECK(closes[0]->hf == r.handleOf["first.txt"]);
    CHECK(closes[0]->attribs == 0x21);
    CHECK(closes[0]->cb == 0);
    CHECK(closes[1]->attribs == (0x20 | kCabAttribExecute));
    CHECK(closes[1]->cb == 1);
    CHECK(closes[2]->attribs == (0x20 | kCabAttribUtf8Name));
    CHECK(closes[2]->cb == 0);
    CHECK(closes[2]->date == 0x1234);
    CHECK(closes[2]->time == 0x4321);
  }

  TEST_CASE("files are written byte for byte, across block and folder boundaries") {
    Session s;
    s.Put("one.cab", ThreeFiles().Build());
    Recorder r;
    REQUIRE(s.Copy("one.cab", "", &r) == 1);
    CHECK(s.Output(r, "first.txt") == Pattern(100, 1));
    CHECK(s.Output(r, "dir\\second.bin") == Pattern(70000, 2));
    CHECK(s.Output(r, "third.dat") == Pattern(5, 3));
  }

  TEST_CASE("an empty file gets its notifications and no write") {
    Session s;
    s.Put("e.cab", cabbuild::StoredCabinet({{{"empty", {}}, {"x", Pattern(3, 9)}}}).Build());
    Recorder r;
    REQUIRE(s.Copy("e.cab", "", &r) == 1);
    CHECK(r.OfType(kFdintCloseFileInfo).size() == 2);
    CHECK(s.Output(r, "empty").empty());
    CHECK(s.Output(r, "x") == Pattern(3, 9));
  }

  TEST_CASE("a cabinet without files is announced and succeeds") {
    Session s;
    s.Put("none.cab", Cabinet().Build());
    Recorder r;
    CHECK(s.Copy("none.cab", "", &r) == 1);
    REQUIRE(r.events.size() == 1);
    CHECK(r.events[0].type == kFdintCabinetInfo);
  }
}

TEST_SUITE("FDI answers") {
  TEST_CASE("a file answered with 0 is skipped: no data, no close notification") {
    Session s;
    s.Put("one.cab", ThreeFiles().Build());
    Recorder r;
    r.answer = [&](const Event& e, TFdiNotification* n) -> intptr_t {
      if (e.type == kFdintCopyFile) return e.psz1 == "third.dat" ? 777 : 0;
      if (e.type == kFdintCloseFileInfo) return 1;
      return 0;
    };
    REQUIRE(s.Copy("one.cab", "", &r) == 1);
    auto closes = r.OfType(kFdintCloseFileInfo);
    REQUIRE(closes.size() == 1);
    CHECK(closes[0]->psz1 == "third.dat");
    CHECK(s.disk.written.size() == 1);
    CHECK(s.disk.written[777] == Pattern(5, 3));
  }

  TEST_CASE("-1 from any notification stops the copy with the user-abort code") {
    int stopAt = 0;
    SUBCASE("cabinet info") { stopAt = kFdintCabinetInfo; }
    SUBCASE("copy file") { stopAt = kFdintCopyFile; }
    SUBCASE("close file info") { stopAt = kFdintCloseFileInfo; }
    Session s;
    s.Put("one.cab", ThreeFiles().Build());
    Recorder r;
    r.answer = [&](const Event& e, TFdiNotification*) -> intptr_t {
      if (e.type == stopAt) return -1;
      if (e.type == kFdintCopyFile) return 900;
      return e.type == kFdintCloseFileInfo ? 1 : 0;
    };
    CHECK(s.Copy("one.cab", "", &r) == 0);
    CHECK(s.error.flag != 0);
    CHECK(s.error.oper == kFdiUserAbort);
    CHECK(r.events.back().type == stopAt);
    CHECK(s.disk.open.empty());  // the cabinet was closed
  }

  TEST_CASE("close-file-info answered FALSE fails the copy as a target-file error") {
    Session s;
    s.Put("one.cab", ThreeFiles().Build());
    Recorder r;
    r.answer = [&](const Event& e, TFdiNotification*) -> intptr_t {
      return e.type == kFdintCopyFile ? 900 : 0;
    };
    CHECK(s.Copy("one.cab", "", &r) == 0);
    CHECK(s.error.oper == kFdiTargetFile);
    CHECK(r.OfType(kFdintCopyFile).size() == 1);
  }

  TEST_CASE("a short write fails the copy and closes the target handle") {
    Session s;
    s.Put("one.cab", ThreeFiles().Build());
    s.disk.writeLimit = 100 + 40000;  // the first file fits, the second does not
    Recorder r;
    CHECK(s.Copy("one.cab", "", &r) == 0);
    CHECK(s.error.flag != 0);
    CHECK(s.error.oper == kFdiTargetFile);
    CHECK(r.OfType(kFdintCloseFileInfo).size() == 1);  // only the first file finished
    CHECK(s.disk.closed[r.handleOf["dir\\second.bin"]]);
    CHECK(r.OfType(kFdintCopyFile).size() == 2);
  }

  TEST_CASE("the error record is left alone by a successful copy") {
    Session s;
    s.Put("one.cab", ThreeFiles().Build());
    s.error = TFdiError{42, 43, 0};
    Recorder r;
    REQUIRE(s.Copy("one.cab", "", &r) == 1);
    CHECK(s.error.oper == 42);
    CHECK(s.error.flag == 0);
  }
}

TEST_SUITE("FDI lazy decoding") {
  TEST_CASE("skipping every file reads only the header and tables") {
    Session s;
    std::vector<uint8_t> cab = ThreeFiles().Build();
    s.Put("one.cab", cab);
    Recorder r;
    r.answer = [](const Event&, TFdiNotification*) -> intptr_t { return 0; };
    REQUIRE(s.Copy("one.cab", "", &r) == 1);
    // One buffer fill at the start, and the last byte that shows the cabinet
    // is as long as it says.
    CHECK(s.disk.bytesRead <= 8192 + 1);
  }

  TEST_CASE("a wanted file reads its own blocks, not the folders before it") {
    Session s;
    Cabinet c = cabbuild::StoredCabinet({{{"big1", Pattern(300000, 4)}},
                                         {{"big2", Pattern(200000, 5)}, {"small", Pattern(10, 6)}},
                                         {{"after", Pattern(100000, 7)}}});
    s.Put("big.cab", c.Build());
    Recorder r;
    r.answer = [](const Event& e, TFdiNotification*) -> intptr_t {
      if (e.type == kFdintCopyFile) return e.psz1 == "small" ? 600 : 0;
      return e.type == kFdintCloseFileInfo ? 1 : 0;
    };
    REQUIRE(s.Copy("big.cab", "", &r) == 1);
    CHECK(s.disk.written[600] == Pattern(10, 6));
    // Stored blocks before the file are stepped over by their headers alone.
    CHECK(s.disk.bytesRead < 20000);
  }

  TEST_CASE("a large file is read in large pieces") {
    Session s;
    s.Put("big.cab", cabbuild::StoredCabinet({{{"big", Pattern(1 << 20, 8)}}}).Build());
    Recorder r;
    REQUIRE(s.Copy("big.cab", "", &r) == 1);
    CHECK(s.Output(r, "big") == Pattern(1 << 20, 8));
    CHECK(s.disk.readCalls < 2 * 33 + 8);  // about two per 32 KiB block
    CHECK(s.disk.writeCalls == 32);
  }

  TEST_CASE("files listed out of folder order still extract correctly") {
    Session s;
    Cabinet c = cabbuild::StoredCabinet({{{"a", Pattern(40000, 1)}, {"b", Pattern(40000, 2)}}});
    std::swap(c.files[0], c.files[1]);
    s.Put("o.cab", c.Build());
    Recorder r;
    REQUIRE(s.Copy("o.cab", "", &r) == 1);
    CHECK(s.Output(r, "a") == Pattern(40000, 1));
    CHECK(s.Output(r, "b") == Pattern(40000, 2));
  }
}

TEST_SUITE("FDI refusals") {
  TEST_CASE("opening and recognising the cabinet") {
    Session s;
    Recorder r;
    SUBCASE("no such file") {
      CHECK(s.Copy("missing.cab", "", &r) == 0);
      CHECK(s.error.oper == kFdiCabinetNotFound);
    }
    SUBCASE("not a cabinet") {
      s.Put("text.cab", std::vector<uint8_t>(100, 'x'));
      CHECK(s.Copy("text.cab", "", &r) == 0);
      CHECK(s.error.oper == kFdiNotACabinet);
    }
    SUBCASE("too short to be a cabinet") {
      s.Put("tiny.cab", {'M', 'S'});
      CHECK(s.Copy("tiny.cab", "", &r) == 0);
      CHECK(s.error.oper == kFdiNotACabinet);
    }
    SUBCASE("another format version") {
      Cabinet c = ThreeFiles();
      c.versionMinor = 4;
      s.Put("v.cab", c.Build());
      CHECK(s.Copy("v.cab", "", &r) == 0);
      CHECK(s.error.oper == kFdiUnknownCabinetVersion);
    }
    SUBCASE("a path too long for the engine") {
      CHECK(s.Copy("x.cab", std::string(300, 'a'), &r) == 0);
      CHECK(s.error.oper == kFdiCabinetNotFound);
    }
    CHECK(s.error.flag != 0);
    CHECK(r.events.empty());
  }

  TEST_CASE("damaged tables are refused before any file is offered") {
    Cabinet c = ThreeFiles();
    std::vector<uint8_t> bytes;
    SUBCASE("cabinet cut short") {
      bytes = c.Build();
      bytes.resize(bytes.size() - 10);
    }
    SUBCASE("file table cut inside a name") {
      bytes = c.Build();
      bytes.resize(36 + 2 * 8 + 16 + 4);
      cabbuild::Cabinet::Set32(bytes, 8, (uint32_t)bytes.size());
    }
    SUBCASE("folder index out of range") { c.files[1].iFolder = 2; }
    SUBCASE("continued-from-previous marker in a cabinet without a previous one") {
      c.files[1].iFolder = kCabFolderContinuedFromPrev;
    }
    SUBCASE("continued-to-next marker in a cabinet without a next one") {
      c.files[1].iFolder = kCabFolderContinuedToNext;
    }
    SUBCASE("offset plus size beyond 4 GiB") {
      c.files[2].offset = 0xFFFFFFF0u;
      c.files[2].size = 0x20;
    }
    SUBCASE("file reaching past what its folder's blocks can hold") { c.files[2].size = 40000; }
    SUBCASE("name without terminator within 256 bytes") { c.files[0].name = std::string(300, 'n'); }
    SUBCASE("empty name") { c.files[0].name = ""; }
    SUBCASE("file table offset past the end") { c.cbCabinetOverride = 60; }
    if (bytes.empty()) bytes = c.Build();
    Session s;
    s.Put("bad.cab", bytes);
    Recorder r;
    CHECK(s.Copy("bad.cab", "", &r) == 0);
    CHECK(s.error.flag != 0);
    CHECK(s.error.oper == kFdiCorruptCabinet);
    CHECK(r.events.empty());
    CHECK(s.disk.open.empty());
  }

  TEST_CASE("damaged data fails the copy at the file that needs it") {
    Cabinet c = ThreeFiles();
    SUBCASE("checksum mismatch") { c.folders[0].blocks[1].sum = cabbuild::Block::kWrong; }
    SUBCASE("file beyond the data its folder really has") {
      c.folders[0].blocks[2].data.resize(100);
      c.folders[0].blocks[2].cbUncomp = 100;
    }
    SUBCASE("stored block whose sizes disagree") { c.folders[0].blocks[1].cbUncomp -= 1; }
    SUBCASE("block larger than the format allows") {
      c.folders[0].blocks[2].data.resize(40000);
      c.folders[0].blocks[2].cbUncomp = 40000 & 0xFFFF;
    }
    Session s;
    s.Put("bad.cab", c.Build());
    Recorder r;
    CHECK(s.Copy("bad.cab", "", &r) == 0);
    CHECK(s.error.oper == kFdiCorruptCabinet);
    // The first file was whole and is kept; the broken one is never closed as done.
    auto closes = r.OfType(kFdintCloseFileInfo);
    REQUIRE(closes.size() == 1);
    CHECK(closes[0]->psz1 == "first.txt");
    CHECK(s.disk.closed[r.handleOf["dir\\second.bin"]]);
  }

  TEST_CASE("a zero checksum means none was computed") {
    Cabinet c = ThreeFiles();
    for (auto& b : c.folders[0].blocks) b.sum = cabbuild::Block::kZero;
    Session s;
    s.Put("z.cab", c.Build());
    Recorder r;
    REQUIRE(s.Copy("z.cab", "", &r) == 1);
    CHECK(s.Output(r, "dir\\second.bin") == Pattern(70000, 2));
  }

  TEST_CASE("an unknown compression type is refused when a file needs it") {
    Cabinet c = ThreeFiles();
    c.folders[1].type = 7;
    Session s;
    s.Put("t.cab", c.Build());
    Recorder r;
    CHECK(s.Copy("t.cab", "", &r) == 0);
    CHECK(s.error.oper == kFdiBadComprType);
    CHECK(r.OfType(kFdintCloseFileInfo).size() == 2);
  }
}

TEST_SUITE("FDI layout") {
  TEST_CASE("reserved areas in header, folders and blocks are stepped over") {
    Cabinet c = ThreeFiles();
    c.headerReserve = Pattern(300, 11);
    c.folderReserve = 7;
    c.dataReserve = 13;
    Session s;
    s.Put("r.cab", c.Build());
    Recorder r;
    REQUIRE(s.Copy("r.cab", "", &r) == 1);
    CHECK(s.Output(r, "dir\\second.bin") == Pattern(70000, 2));
    CHECK(s.Output(r, "third.dat") == Pattern(5, 3));
  }

  TEST_CASE("bytes after the cabinet are ignored") {
    std::vector<uint8_t> bytes = ThreeFiles().Build();
    bytes.resize(bytes.size() + 5000, 0xAB);
    Session s;
    s.Put("tail.cab", bytes);
    Recorder r;
    REQUIRE(s.Copy("tail.cab", "", &r) == 1);
    CHECK(s.Output(r, "third.dat") == Pattern(5, 3));
  }

  TEST_CASE("is-cabinet reports the header") {
    Cabinet c = ThreeFiles();
    c.flags = kCabFlagNext;
    c.nextCab = "n.cab";
    c.setID = 99;
    c.iCabinet = 2;
    c.reserve = true;
    std::vector<uint8_t> bytes = c.Build();
    Session s;
    s.Put("i.cab", bytes);
    s.Put("not.cab", std::vector<uint8_t>(64, 0));
    intptr_t hf = memfdi::Open((char*)"i.cab", 0, 0);
    TFdiCabinetInfo info{};
    REQUIRE(Fdi_IsCabinet(s.fdi, hf, &info) != 0);
    CHECK(info.cbCabinet == (int32_t)bytes.size());
    CHECK(info.cFolders == 2);
    CHECK(info.cFiles == 3);
    CHECK(info.setID == 99);
    CHECK(info.iCabinet == 2);
    CHECK(info.fReserve);
    CHECK(info.hasnext);
    CHECK(!info.hasprev);
    intptr_t other = memfdi::Open((char*)"not.cab", 0, 0);
    CHECK(Fdi_IsCabinet(s.fdi, other, &info) == 0);
  }

  TEST_CASE("every allocation is returned, also when one fails") {
    for (size_t failAfter : {0, 1, 2, 3, 4, 5, 6, 7, 8, 100}) {
      CAPTURE(failAfter);
      memfdi::Disk disk;
      memfdi::Current() = &disk;
      disk.files["one.cab"] = ThreeFiles().Build();
      disk.allocFailAfter = failAfter;
      TFdiError err{};
      TFdiContext fdi = Fdi_Create(memfdi::Alloc, memfdi::Free, memfdi::Open, memfdi::Read,
                                   memfdi::Write, memfdi::Close, memfdi::Seek, -1, &err);
      if (fdi) {
        Recorder r;
        int ok = Fdi_Copy(fdi, (char*)"one.cab", (char*)"", 0, memfdi::Notify, nullptr, &r);
        if (!ok) CHECK(err.oper == kFdiAllocFail);
        CHECK(Fdi_Destroy(fdi) == 1);
      } else {
        CHECK(err.oper == kFdiAllocFail);
      }
      CHECK(disk.allocs == disk.frees);
      memfdi::Current() = nullptr;
    }
  }
}

TEST_SUITE("FDI one file per call") {
  // Many small blocks make the cost of starting a folder over visible.
  Cabinet ManyBlocks() {
    return cabbuild::StoredCabinet({{{"a", Pattern(200000, 1)}, {"b", Pattern(3000, 2)},
                                     {"c", Pattern(5000, 3)}}},
                                   1000);
  }
  std::function<intptr_t(const Event&, TFdiNotification*)> Want(std::string name, intptr_t h) {
    return [name, h](const Event& e, TFdiNotification*) -> intptr_t {
      if (e.type == kFdintCopyFile) return e.psz1 == name ? h : 0;
      return e.type == kFdintCloseFileInfo ? 1 : 0;
    };
  }

  TEST_CASE("the next file of the same folder goes on where the last call stopped") {
    Session s;
    s.Put("m.cab", ManyBlocks().Build());
    Recorder first, second;
    first.answer = Want("b", 1);
    second.answer = Want("c", 2);
    REQUIRE(s.Copy("m.cab", "", &first) == 1);
    size_t readsBefore = s.disk.readCalls;
    REQUIRE(s.Copy("m.cab", "", &second) == 1);
    CHECK(s.disk.written[1] == Pattern(3000, 2));
    CHECK(s.disk.written[2] == Pattern(5000, 3));
    CHECK(readsBefore > 150);  // the first call stepped over 200 block headers
    CHECK(s.disk.readCalls - readsBefore < 20);
  }

  TEST_CASE("an earlier file, another cabinet or a changed one starts the folder over") {
    Session s;
    s.Put("m.cab", ManyBlocks().Build());
    Cabinet other = ManyBlocks();
    other.folders[0] = cabbuild::StoredFolder(Pattern(208000, 9), 1000);
    s.Put("other.cab", other.Build());
    Recorder r1, r2, r3, r4;
    r1.answer = Want("c", 1);
    r2.answer = Want("a", 2);
    r3.answer = Want("b", 3);
    r4.answer = Want("b", 4);
    REQUIRE(s.Copy("m.cab", "", &r1) == 1);
    REQUIRE(s.Copy("m.cab", "", &r2) == 1);
    REQUIRE(s.Copy("other.cab", "", &r3) == 1);
    s.Put("m.cab", other.Build());  // same name, other content, same header
    REQUIRE(s.Copy("m.cab", "", &r4) == 1);
    CHECK(s.disk.written[1] == Pattern(5000, 3));
    CHECK(s.disk.written[2] == Pattern(200000, 1));
    std::vector<uint8_t> all = Pattern(208000, 9);
    std::vector<uint8_t> b(all.begin() + 200000, all.begin() + 203000);
    CHECK(s.disk.written[3] == b);
    CHECK(s.disk.written[4] == b);
  }

  TEST_CASE("a failed call keeps nothing for the next") {
    Session s;
    Cabinet c = ManyBlocks();
    c.folders[0].blocks[201].sum = cabbuild::Block::kWrong;  // inside "b"
    s.Put("m.cab", c.Build());
    Recorder r1, r2;
    r1.answer = Want("b", 1);
    r2.answer = Want("c", 2);
    CHECK(s.Copy("m.cab", "", &r1) == 0);
    CHECK(s.error.oper == kFdiCorruptCabinet);
    REQUIRE(s.Copy("m.cab", "", &r2) == 1);
    CHECK(s.disk.written[2] == Pattern(5000, 3));
  }
}
