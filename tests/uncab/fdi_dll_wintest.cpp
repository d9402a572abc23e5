// uncab.dll as the setup program uses it: loaded by path, the four exports
// bound by name, driven with callbacks shaped like the setup program's
// cabinet reader (open by name and flags, handle -2 for "into memory", the
// reader as the notification's user value), one FDICopy per wanted file.
#include <doctest/doctest.h>

#include <windows.h>

#include <fdi.h>

#include <string>
#include <vector>

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
  explicit Context(Library& l) : lib(l) {
    hfdi = lib.create(Alloc, Free, Open, Read, Write, Close, Seek, cpuUNKNOWN, &erf);
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
