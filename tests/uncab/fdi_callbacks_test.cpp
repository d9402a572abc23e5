// What the engine asks of its caller's callbacks: the context it hands back
// to each of them, callbacks a caller leaves out, how the cabinet is opened
// and seeked, and how a cabinet cut short is found without asking for the
// file's size.
#include <doctest/doctest.h>

#include <algorithm>

#include "block_codec.h"
#include "cab_builder.h"
#include "memory_fdi.h"

using cabbuild::Cabinet;
using memfdi::Disk;
using memfdi::Event;
using memfdi::Recorder;

namespace {

// "a" and "b" in one MSZIP folder, "c" in a stored one: well over one input
// buffer, so the cabinet's last byte is not read along with its header.
struct Mixed {
  std::vector<uint8_t> a, b, c;
  Cabinet cab;
  explicit Mixed(uint32_t seed)
      : a(TextData(70000, seed)), b(TextData(5000, seed + 1)), c(NoiseData(40000, seed + 2)) {
    std::vector<uint8_t> ab = a;
    ab.insert(ab.end(), b.begin(), b.end());
    cab.folders = {cabbuild::MszipFolder(ab), cabbuild::StoredFolder(c)};
    cab.files.resize(3);
    cab.files[0].name = "a";
    cab.files[0].size = (uint32_t)a.size();
    cab.files[1].name = "b";
    cab.files[1].size = (uint32_t)b.size();
    cab.files[1].offset = (uint32_t)a.size();
    cab.files[2].name = "c";
    cab.files[2].size = (uint32_t)c.size();
    cab.files[2].iFolder = 1;
  }
};

// Extracts every file into handle 1, 2, 3 in stored order, closing on `disk`.
intptr_t ExtractInOrder(Disk* disk, const Event& e, TFdiNotification* n) {
  if (e.type == kFdintCopyFile) return e.psz1 == "a" ? 1 : e.psz1 == "b" ? 2 : 3;
  if (e.type == kFdintCloseFileInfo) {
    memfdi::DiskClose(disk, n->hf);
    return 1;
  }
  return 0;
}

intptr_t SkipAll(const Event&, TFdiNotification*) { return 0; }

}  // namespace

TEST_SUITE("FDI callbacks") {
  TEST_CASE("each engine's callbacks get its own context back, also while another one runs") {
    // No callback may find its disk any other way than through its context.
    Disk* outer = memfdi::Current();
    memfdi::Current() = nullptr;
    Mixed first(10), second(20);
    Disk one, two;
    one.files["m.cab"] = first.cab.Build();
    two.files["m.cab"] = second.cab.Build();
    TFdiIo ioOne = memfdi::DiskIo(&one), ioTwo = memfdi::DiskIo(&two);
    TFdiError errOne{}, errTwo{};
    TFdiEngine* e1 = FdiEngine_Create(&ioOne, &errOne);
    TFdiEngine* e2 = FdiEngine_Create(&ioTwo, &errTwo);
    REQUIRE(e1);
    REQUIRE(e2);
    Recorder r1, r2;
    r2.disk = &two;
    // Engine one has its MSZIP decoder half-way through folder 0 when engine
    // two decodes a whole cabinet of its own.
    r1.answer = [&](const Event& e, TFdiNotification* n) -> intptr_t {
      if (e.type == kFdintCopyFile && e.psz1 == "b")
        CHECK(FdiEngine_Copy(e2, (char*)"m.cab", (char*)"", memfdi::Notify, &r2) == 1);
      return ExtractInOrder(&one, e, n);
    };
    REQUIRE(FdiEngine_Copy(e1, (char*)"m.cab", (char*)"", memfdi::Notify, &r1) == 1);
    CHECK(one.written[1] == first.a);
    CHECK(one.written[2] == first.b);
    CHECK(one.written[3] == first.c);
    CHECK(two.written[r2.handleOf["a"]] == second.a);
    CHECK(two.written[r2.handleOf["b"]] == second.b);
    CHECK(two.written[r2.handleOf["c"]] == second.c);
    CHECK(one.opened == std::vector<std::string>{"m.cab"});
    CHECK(two.opened == std::vector<std::string>{"m.cab"});
    CHECK(FdiEngine_Destroy(e1) == 1);
    CHECK(FdiEngine_Destroy(e2) == 1);
    CHECK(one.allocs > 3);  // the engine's buffers and the decoder's window
    CHECK(one.allocs == one.frees);
    CHECK(two.allocs == two.frees);
    CHECK(one.open.empty());
    CHECK(two.open.empty());
    memfdi::Current() = outer;
  }

  TEST_CASE("file callbacks left out are accepted; a copy that needs one fails with an error record") {
    struct {
      const char* missing;
      FdiOpen open;
      FdiRead read;
      FdiClose close;
      FdiSeek seek;
    } cases[] = {
        {"all", nullptr, nullptr, nullptr, nullptr},
        {"open", nullptr, memfdi::Read, memfdi::Close, memfdi::Seek},
        {"read", memfdi::Open, nullptr, memfdi::Close, memfdi::Seek},
        {"close", memfdi::Open, memfdi::Read, nullptr, memfdi::Seek},
        {"seek", memfdi::Open, memfdi::Read, memfdi::Close, nullptr},
    };
    for (auto& c : cases) {
      CAPTURE(c.missing);
      Disk disk;
      Disk* outer = memfdi::Current();
      memfdi::Current() = &disk;
      disk.files["m.cab"] = Mixed(1).cab.Build();
      TFdiError err{};
      TFdiContext fdi = Fdi_Create(memfdi::Alloc, memfdi::Free, c.open, c.read, nullptr, c.close,
                                   c.seek, -1, &err);
      REQUIRE(fdi);
      CHECK(err.flag == 0);
      Recorder r;
      CHECK(Fdi_Copy(fdi, (char*)"m.cab", (char*)"", 0, memfdi::Notify, nullptr, &r) == 0);
      CHECK(err.flag == 1);
      CHECK(err.oper == kFdiCabinetNotFound);
      CHECK(r.events.empty());
      CHECK(disk.openCalls == 0);  // nothing opened that could not be closed again
      CHECK(Fdi_Destroy(fdi) == 1);
      CHECK(disk.allocs == disk.frees);
      memfdi::Current() = outer;
    }
  }

  TEST_CASE("without a write callback a cabinet is listed, but a file asked for fails the copy") {
    Mixed m(1);
    Disk disk;
    Disk* outer = memfdi::Current();
    memfdi::Current() = &disk;
    disk.files["m.cab"] = m.cab.Build();
    TFdiError err{};
    TFdiContext fdi = Fdi_Create(memfdi::Alloc, memfdi::Free, memfdi::Open, memfdi::Read, nullptr,
                                 memfdi::Close, memfdi::Seek, -1, &err);
    REQUIRE(fdi);
    Recorder list;
    list.answer = SkipAll;
    CHECK(Fdi_Copy(fdi, (char*)"m.cab", (char*)"", 0, memfdi::Notify, nullptr, &list) == 1);
    CHECK(list.OfType(kFdintCopyFile).size() == 3);
    Recorder want;
    want.answer = [](const Event& e, TFdiNotification*) -> intptr_t {
      return e.type == kFdintCopyFile && e.psz1 == "b" ? 42 : 0;
    };
    CHECK(Fdi_Copy(fdi, (char*)"m.cab", (char*)"", 0, memfdi::Notify, nullptr, &want) == 0);
    CHECK(err.oper == kFdiTargetFile);
    CHECK(disk.closed[42]);  // the handle it was given is not left open
    CHECK(want.OfType(kFdintCloseFileInfo).empty());
    CHECK(disk.open.empty());
    CHECK(Fdi_Destroy(fdi) == 1);
    memfdi::Current() = outer;
  }

  TEST_CASE("is-cabinet needs the read callback alone") {
    Disk disk;
    Disk* outer = memfdi::Current();
    memfdi::Current() = &disk;
    disk.files["m.cab"] = Mixed(1).cab.Build();
    TFdiError err{};
    TFdiContext reader = Fdi_Create(memfdi::Alloc, memfdi::Free, nullptr, memfdi::Read, nullptr,
                                    nullptr, nullptr, -1, &err);
    TFdiContext none = Fdi_Create(memfdi::Alloc, memfdi::Free, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, -1, &err);
    REQUIRE(reader);
    REQUIRE(none);
    intptr_t hf = memfdi::Open((char*)"m.cab", 0, 0);
    TFdiCabinetInfo info{};
    CHECK(Fdi_IsCabinet(reader, hf, &info) == 1);
    CHECK(info.cFiles == 3);
    CHECK(err.flag == 0);
    CHECK(Fdi_IsCabinet(none, hf, &info) == 0);
    CHECK(err.flag == 1);
    CHECK(err.oper == kFdiCabinetNotFound);
    memfdi::Close(hf);
    CHECK(Fdi_Destroy(reader) == 1);
    CHECK(Fdi_Destroy(none) == 1);
    memfdi::Current() = outer;
  }

  TEST_CASE("the cabinet is only ever seeked from its start or the current position") {
    memfdi::Session s;
    s.disk.seekFromEndFails = true;
    Mixed m(1);
    std::vector<uint8_t> bytes = m.cab.Build();
    s.Put("m.cab", bytes);
    bytes.pop_back();
    s.Put("short.cab", bytes);
    Recorder all, again, cut;
    all.answer = [&](const Event& e, TFdiNotification* n) { return ExtractInOrder(&s.disk, e, n); };
    again.answer = [&](const Event& e, TFdiNotification* n) -> intptr_t {
      return e.type == kFdintCopyFile ? (e.psz1 == "b" ? 7 : 0) : ExtractInOrder(&s.disk, e, n);
    };
    cut.answer = SkipAll;
    REQUIRE(s.Copy("m.cab", "", &all) == 1);
    CHECK(s.disk.written[1] == m.a);
    CHECK(s.disk.written[3] == m.c);
    REQUIRE(s.Copy("m.cab", "", &again) == 1);
    CHECK(s.disk.written[7] == m.b);
    CHECK(s.Copy("short.cab", "", &cut) == 0);
    CHECK(s.disk.seekCalls > 0);
    CHECK(std::count(s.disk.seekOrigins.begin(), s.disk.seekOrigins.end(), 2) == 0);
  }

  TEST_CASE("a cabinet shorter than its header says is refused before any file is offered") {
    std::vector<uint8_t> whole = Mixed(1).cab.Build();
    for (size_t cut : {size_t(1), size_t(20000), whole.size() - 9000}) {
      CAPTURE(cut);
      memfdi::Session s;
      s.Put("m.cab", std::vector<uint8_t>(whole.begin(), whole.end() - cut));
      Recorder r;
      r.answer = SkipAll;  // nothing asked for: the cut would never be read otherwise
      CHECK(s.Copy("m.cab", "", &r) == 0);
      CHECK(s.error.oper == kFdiCorruptCabinet);
      CHECK(r.events.empty());
      CHECK(s.disk.open.empty());
    }
  }
}
