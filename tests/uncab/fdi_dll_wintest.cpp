// uncab.dll as the setup program uses it: loaded by path, the four exports
// bound by name, driven with callbacks shaped like the setup program's
// cabinet reader (open by name and flags, handle -2 for "into memory", the
// reader as the notification's user value), one FDICopy per wanted file.
#include <doctest/doctest.h>

#include <windows.h>

#include <fcntl.h>
#include <fdi.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cab_builder.h"
#include "test_files.h"

namespace {

typedef HFDI(DIAMONDAPI* CreateFn)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE, PFNCLOSE, PFNSEEK,
                                   int, PERF);
typedef BOOL(DIAMONDAPI* CopyFn)(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT, void*);
typedef BOOL(DIAMONDAPI* DestroyFn)(HFDI);
typedef BOOL(DIAMONDAPI* IsCabinetFn)(HFDI, INT_PTR, PFDICABINETINFO);

const INT_PTR kMemoryHandle = -2;

struct Library {
  HMODULE module = nullptr;
  CreateFn create = nullptr;
  CopyFn copy = nullptr;
  DestroyFn destroy = nullptr;
  IsCabinetFn isCabinet = nullptr;
  Library() {
    module = LoadLibraryA(BinaryPath("uncab.dll").c_str());
    if (!module) return;
    create = (CreateFn)GetProcAddress(module, "FDICreate");
    copy = (CopyFn)GetProcAddress(module, "FDICopy");
    destroy = (DestroyFn)GetProcAddress(module, "FDIDestroy");
    isCabinet = (IsCabinetFn)GetProcAddress(module, "FDIIsCabinet");
  }
  ~Library() {
    if (module) FreeLibrary(module);
  }
};

// The reader: what it wants and where it puts it.
struct Reader {
  std::string filter;     // stored name wanted; empty = every file
  std::string targetDir;  // with trailing backslash; empty = into memory
  bool found = false;
  std::vector<uint8_t> memory;
  std::string nextCabinet;
  int closes = 0;
};

void* DIAMONDAPI Alloc(ULONG cb) { return HeapAlloc(GetProcessHeap(), 0, cb); }
void DIAMONDAPI Free(void* p) { HeapFree(GetProcessHeap(), 0, p); }

Reader* g_memoryOwner;  // the reader whose memory stream handle -2 means

INT_PTR DIAMONDAPI Open(char* name, int flags, int) {
  DWORD access = (flags & 0x0001) ? GENERIC_WRITE : GENERIC_READ;
  DWORD share = (flags & 0x0400) ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  DWORD how = (flags & 0x0100) ? CREATE_ALWAYS : OPEN_EXISTING;
  HANDLE h = CreateFileA(name, access, share, nullptr, how, FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? -1 : (INT_PTR)h;
}
UINT DIAMONDAPI Read(INT_PTR hf, void* pv, UINT cb) {
  DWORD got = 0;
  if (!ReadFile((HANDLE)hf, pv, cb, &got, nullptr)) return (UINT)-1;
  return got;
}
UINT DIAMONDAPI Write(INT_PTR hf, void* pv, UINT cb) {
  if (hf == kMemoryHandle) {
    g_memoryOwner->memory.insert(g_memoryOwner->memory.end(), (uint8_t*)pv, (uint8_t*)pv + cb);
    return cb;
  }
  DWORD done = 0;
  if (!WriteFile((HANDLE)hf, pv, cb, &done, nullptr)) return (UINT)-1;
  return done;
}
int DIAMONDAPI Close(INT_PTR hf) {
  if (hf != kMemoryHandle) CloseHandle((HANDLE)hf);
  return 0;
}
__LONG32 DIAMONDAPI Seek(INT_PTR hf, __LONG32 dist, int type) {
  DWORD r = SetFilePointer((HANDLE)hf, dist, nullptr, type);
  return r == INVALID_SET_FILE_POINTER ? -1 : (__LONG32)r;
}

// What the library asked of the file callbacks below, for the tests that
// check how it opens and seeks.
struct CallLog {
  std::vector<int> openFlags, openModes, seekOrigins;
};
CallLog g_log;

INT_PTR DIAMONDAPI LoggedOpen(char* name, int flags, int mode) {
  g_log.openFlags.push_back(flags);
  g_log.openModes.push_back(mode);
  return Open(name, flags, mode);
}
// A seek callback that, like some callers', knows no seeking from the end.
__LONG32 DIAMONDAPI StartOrCurrentSeek(INT_PTR hf, __LONG32 dist, int type) {
  g_log.seekOrigins.push_back(type);
  return type == SEEK_END ? -1 : Seek(hf, dist, type);
}

bool SameAscii(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1,
                                                b.c_str(), -1) == CSTR_EQUAL;
}

void CreateFoldersFor(const std::string& path) {
  for (size_t i = 3; i < path.size(); ++i)
    if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

INT_PTR DIAMONDAPI Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION n) {
  Reader* r = (Reader*)n->pv;
  switch (type) {
    case fdintCABINET_INFO:
      r->nextCabinet = n->psz1;
      return 0;
    case fdintCOPY_FILE: {
      if (!r->filter.empty() && !SameAscii(r->filter, n->psz1)) return 0;
      r->found = true;
      if (r->targetDir.empty()) {
        g_memoryOwner = r;
        r->memory.clear();
        return kMemoryHandle;
      }
      std::string path = r->targetDir + n->psz1;
      CreateFoldersFor(path);
      return Open((char*)path.c_str(), 0x0100 | 0x0001 | 0x8000, 0);
    }
    case fdintCLOSE_FILE_INFO: {
      ++r->closes;
      if (n->hf != kMemoryHandle) {
        FILETIME local, utc;
        if (DosDateTimeToFileTime(n->date, n->time, &local) && LocalFileTimeToFileTime(&local, &utc))
          SetFileTime((HANDLE)n->hf, nullptr, nullptr, &utc);
        Close(n->hf);
      }
      return 1;
    }
    case fdintNEXT_CABINET:
      return 1;
    default:
      return 0;
  }
}

struct Context {
  Library& lib;
  ERF erf{};
  HFDI hfdi = nullptr;
  explicit Context(Library& l, PFNOPEN open = Open, PFNREAD read = Read, PFNWRITE write = Write,
                   PFNCLOSE close = Close, PFNSEEK seek = Seek)
      : lib(l) {
    hfdi = lib.create(Alloc, Free, open, read, write, close, seek, cpuUNKNOWN, &erf);
  }
  ~Context() {
    if (hfdi) lib.destroy(hfdi);
  }
  BOOL Extract(const std::string& cabinet, Reader* r) {
    size_t cut = cabinet.find_last_of("\\:");
    std::string folder = cabinet.substr(0, cut + 1), name = cabinet.substr(cut + 1);
    return lib.copy(hfdi, (char*)name.c_str(), (char*)folder.c_str(), 0, Notify, nullptr, r);
  }
};

const char* const kStoredNames[] = {"readme.txt", "sub\\numbers.txt", "empty.txt", "random.bin"};

std::vector<uint8_t> Input(const std::string& stored) {
  return ReadWholeFile(BinaryPath("tests/gcab/in/" + stored));
}

// Extracts each file with its own FDICopy, as the install run does.
void ExtractOneByOne(const std::string& cab) {
  Library lib;
  REQUIRE((lib.copy != nullptr));
  Context ctx(lib);
  REQUIRE(ctx.hfdi);
  std::string target = NewScratchFolder("dll");
  for (const char* stored : kStoredNames) {
    CAPTURE(stored);
    Reader r;
    r.filter = stored;
    r.targetDir = target;
    // The filter compares without regard to letter case, like the reader's.
    for (char& c : r.filter)
      if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    REQUIRE(ctx.Extract(cab, &r));
    CHECK(r.found);
    CHECK(r.closes == 1);
    std::vector<uint8_t> want = Input(stored);
    CHECK(want.empty() == (std::string(stored) == "empty.txt"));
    CHECK(ReadWholeFile(target + stored) == want);
  }
}

}  // namespace

TEST_SUITE("uncab.dll") {
  TEST_CASE("exports exactly the four FDI calls by plain name") {
    Library lib;
    REQUIRE(lib.module);
    CHECK((lib.create != nullptr));
    CHECK((lib.copy != nullptr));
    CHECK((lib.destroy != nullptr));
    CHECK((lib.isCabinet != nullptr));
    auto base = (const uint8_t*)lib.module;
    auto dos = (const IMAGE_DOS_HEADER*)base;
    auto nt = (const IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
    auto dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto exports = (const IMAGE_EXPORT_DIRECTORY*)(base + dir.VirtualAddress);
    CHECK(exports->NumberOfNames == 4);
    CHECK(exports->NumberOfFunctions == 4);
  }

  TEST_CASE("a gcab stored cabinet, one file per call, into a folder") {
    ExtractOneByOne(BinaryPath("tests/gcab/store.cab"));
  }

  TEST_CASE("a gcab MSZIP cabinet, one file per call, into a folder") {
    ExtractOneByOne(BinaryPath("tests/gcab/mszip.cab"));
  }

  TEST_CASE("a file into memory through handle -2") {
    Library lib;
    Context ctx(lib);
    Reader r;
    r.filter = "SUB\\NUMBERS.TXT";
    REQUIRE(ctx.Extract(BinaryPath("tests/gcab/store.cab"), &r));
    CHECK(r.found);
    CHECK(r.memory == Input("sub\\numbers.txt"));
  }

  TEST_CASE("every file when no name is given") {
    Library lib;
    Context ctx(lib);
    Reader r;
    r.targetDir = NewScratchFolder("dll-all");
    REQUIRE(ctx.Extract(BinaryPath("tests/gcab/store.cab"), &r));
    CHECK(r.closes == 4);
    for (const char* stored : kStoredNames) CHECK(ReadWholeFile(r.targetDir + stored) == Input(stored));
  }

  TEST_CASE("failures fill the caller's error record") {
    Library lib;
    Context ctx(lib);
    Reader r;
    CHECK(!ctx.Extract(BinaryPath("tests/gcab/none.cab"), &r));
    CHECK(ctx.erf.fError);
    CHECK(ctx.erf.erfOper == FDIERROR_CABINET_NOT_FOUND);
    CHECK(!ctx.Extract(BinaryPath("tests/gcab/in/readme.txt"), &r));
    CHECK(ctx.erf.erfOper == FDIERROR_NOT_A_CABINET);
  }

  TEST_CASE("is-cabinet reads the header of an open file") {
    Library lib;
    Context ctx(lib);
    INT_PTR hf = Open((char*)BinaryPath("tests/gcab/store.cab").c_str(), 0x8000, 0);
    REQUIRE(hf != -1);
    FDICABINETINFO info{};
    CHECK(lib.isCabinet(ctx.hfdi, hf, &info));
    Close(hf);
    CHECK(info.cFiles == 4);
    CHECK(info.cFolders == 1);
    CHECK(info.cbCabinet == (LONG)ReadWholeFile(BinaryPath("tests/gcab/store.cab")).size());
  }
}

// Callers written for the platform's own FDI must find the same behaviour
// wherever they can tell.
TEST_SUITE("uncab.dll as the platform's FDI") {
  TEST_CASE("a context without file callbacks; the call that needs one fails with an error record") {
    Library lib;
    Context none(lib, nullptr, nullptr, nullptr, nullptr, nullptr);
    REQUIRE(none.hfdi);
    CHECK(!none.erf.fError);
    Reader r;
    CHECK(!none.Extract(BinaryPath("tests/gcab/store.cab"), &r));
    CHECK(none.erf.fError);
    CHECK(none.erf.erfOper == FDIERROR_CABINET_NOT_FOUND);
    CHECK(!r.found);
    INT_PTR hf = Open((char*)BinaryPath("tests/gcab/store.cab").c_str(), _O_BINARY, 0);
    REQUIRE(hf != -1);
    FDICABINETINFO info{};
    none.erf = ERF{};
    CHECK(!lib.isCabinet(none.hfdi, hf, &info));
    CHECK(none.erf.fError);
    // Is-cabinet alone needs nothing but the read callback.
    Context reader(lib, nullptr, Read, nullptr, nullptr, nullptr);
    REQUIRE(reader.hfdi);
    CHECK(lib.isCabinet(reader.hfdi, hf, &info));
    CHECK(info.cFiles == 4);
    Close(hf);
    // Each of the callbacks a copy needs, missing alone.
    for (int missing = 0; missing < 4; ++missing) {
      CAPTURE(missing);
      Context one(lib, missing == 0 ? nullptr : Open, missing == 1 ? nullptr : Read, Write,
                  missing == 2 ? nullptr : Close, missing == 3 ? nullptr : Seek);
      REQUIRE(one.hfdi);
      Reader any;
      CHECK(!one.Extract(BinaryPath("tests/gcab/store.cab"), &any));
      CHECK(one.erf.erfOper == FDIERROR_CABINET_NOT_FOUND);
    }
  }

  TEST_CASE("without a write callback a cabinet is listed, but a file asked for fails the copy") {
    Library lib;
    Context ctx(lib, Open, Read, nullptr, Close, Seek);
    REQUIRE(ctx.hfdi);
    Reader list;
    list.filter = "NONE.TXT";
    CHECK(ctx.Extract(BinaryPath("tests/gcab/mszip.cab"), &list));
    Reader want;
    want.filter = "README.TXT";
    want.targetDir = NewScratchFolder("dll-nowrite");
    CHECK(!ctx.Extract(BinaryPath("tests/gcab/mszip.cab"), &want));
    CHECK(want.found);
    CHECK(ctx.erf.erfOper == FDIERROR_TARGET_FILE);
    // The handle the caller gave was closed: nothing holds the file open.
    HANDLE h = CreateFileA((want.targetDir + "readme.txt").c_str(), GENERIC_READ, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    CHECK(h != INVALID_HANDLE_VALUE);
    CloseHandle(h);
  }

  TEST_CASE("the cabinet is opened binary with read and write permission") {
    Library lib;
    Context ctx(lib, LoggedOpen);
    g_log = CallLog();
    Reader r;
    r.filter = "README.TXT";
    REQUIRE(ctx.Extract(BinaryPath("tests/gcab/store.cab"), &r));
    REQUIRE(g_log.openFlags.size() == 1);
    CHECK(g_log.openFlags[0] == _O_BINARY);
    CHECK(g_log.openModes[0] == (_S_IREAD | _S_IWRITE));
  }

  TEST_CASE("seeks only from the start or the current position") {
    Library lib;
    Context ctx(lib, Open, Read, Write, Close, StartOrCurrentSeek);
    g_log = CallLog();
    Reader r;
    r.targetDir = NewScratchFolder("dll-seek");
    REQUIRE(ctx.Extract(BinaryPath("tests/gcab/mszip.cab"), &r));
    CHECK(r.closes == 4);
    for (const char* stored : kStoredNames) CHECK(ReadWholeFile(r.targetDir + stored) == Input(stored));
    Reader again;
    again.filter = "RANDOM.BIN";
    again.targetDir = r.targetDir;
    REQUIRE(ctx.Extract(BinaryPath("tests/gcab/mszip.cab"), &again));
    CHECK(!g_log.seekOrigins.empty());
    CHECK(std::count(g_log.seekOrigins.begin(), g_log.seekOrigins.end(), (int)SEEK_END) == 0);
  }

  TEST_CASE("a cabinet shorter than its header says is refused before any file is offered") {
    std::vector<uint8_t> bytes = ReadWholeFile(BinaryPath("tests/gcab/store.cab"));
    REQUIRE(bytes.size() > 200000);
    bytes.pop_back();
    std::string folder = NewScratchFolder("dll-short");
    REQUIRE(WriteWholeFile(folder + "short.cab", bytes));
    Library lib;
    Context ctx(lib);
    Reader r;
    r.filter = "README.TXT";  // the first file, far from the cut
    r.targetDir = folder;
    CHECK(!ctx.Extract(folder + "short.cab", &r));
    CHECK(ctx.erf.erfOper == FDIERROR_CORRUPT_CABINET);
    CHECK(!r.found);
  }

  // The platform's FDI lets such a file through; refusing it is the safe
  // answer, and callers see a corrupt cabinet.
  TEST_CASE("a file naming a folder the cabinet does not have is refused") {
    cabbuild::Cabinet cab = cabbuild::StoredCabinet({{{"a.txt", cabbuild::Pattern(100, 1)},
                                                      {"b.txt", cabbuild::Pattern(50, 2)}}});
    cab.files[1].iFolder = 1;
    std::string folder = NewScratchFolder("dll-folder");
    REQUIRE(WriteWholeFile(folder + "bad.cab", cab.Build()));
    Library lib;
    Context ctx(lib);
    Reader r;
    r.targetDir = folder;
    CHECK(!ctx.Extract(folder + "bad.cab", &r));
    CHECK(ctx.erf.erfOper == FDIERROR_CORRUPT_CABINET);
    CHECK(!r.found);
  }
}
