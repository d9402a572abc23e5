// kestin-pack.exe, the Windows console build, run under Windows: the real
// setup program as stub, the system's threads, files, attributes and renames.
#include <doctest/doctest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "package/scramble.h"
#include "stub_patch.h"
#include "test_files.h"

namespace {

struct TRun {
  int rc = -1;
  std::string err;
};

// Runs kestin-pack.exe with `args`, its error output caught in a file.
TRun RunPack(const std::string& args) {
  std::string dir = NewScratchFolder("run");
  std::string errPath = dir + "err.txt";
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
  HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nullptr;
  si.hStdOutput = nul;
  si.hStdError = err;
  PROCESS_INFORMATION pi = {};
  std::string line = "\"" + BinaryPath("kestin-pack.exe") + "\" " + args;
  std::vector<char> buf(line.begin(), line.end());
  buf.push_back(0);
  TRun r;
  if (CreateProcessA(nullptr, buf.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(pi.hProcess, &code);
      r.rc = int(code);
    } else {
      TerminateProcess(pi.hProcess, 99);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(err);
  CloseHandle(nul);
  std::vector<uint8_t> text = ReadWholeFile(errPath);
  r.err.assign(text.begin(), text.end());
  return r;
}

// Quoted for the C runtime's command-line split: backslashes before the
// closing quote are doubled, or "C:\dir\" would swallow the quote.
std::string Q(const std::string& s) {
  std::string r = "\"" + s;
  for (size_t i = s.size(); i > 0 && s[i - 1] == '\\'; i--) r += '\\';
  return r + "\"";
}

void MakeFolders(const std::string& path) {
  for (size_t i = 3; i < path.size(); i++)
    if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

void Put(const std::string& path, const std::string& text) {
  MakeFolders(path);
  REQUIRE(WriteTextFile(path, text));
}

std::string Product(const std::string& dir) {
  Put(dir + "KESTIN\\kestin.ini", "[General]\r\nCaption=Windows test\r\n");
  std::string big;
  for (int i = 0; i < 20000; i++) big += "line " + std::to_string(i * 7919 % 10007) + "\r\n";
  Put(dir + "bin\\big.txt", big);
  Put(dir + "readme.txt", "Read me.\r\n");
  return dir;
}

// The real setup program and library of this build: kestin-pack checks that
// they are what they say and built for the same machine.
std::string StubArgs(const std::string& dir) {
  WriteWholeFile(dir + "lib.dll", ReadWholeFile(BinaryPath("uncab.dll")));
  return "--stub " + Q(BinaryPath("setup.exe")) + " --dll " + Q(dir + "lib.dll");
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
unsigned Le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }

struct TStoredFile {
  std::string name;
  unsigned date, time, attribs;
};

// The CFFILE entries of a plain cabinet.
std::vector<TStoredFile> StoredFiles(const std::vector<uint8_t>& cab) {
  std::vector<TStoredFile> files;
  size_t at = Le32(cab, 16);
  for (unsigned i = 0, n = Le16(cab, 28); i < n; i++) {
    TStoredFile f;
    f.date = Le16(cab, at + 10);
    f.time = Le16(cab, at + 12);
    f.attribs = Le16(cab, at + 14);
    f.name = (const char*)&cab[at + 16];
    at += 16 + f.name.size() + 1;
    files.push_back(f);
  }
  return files;
}

std::vector<uint8_t> PlainCabinet(const std::vector<uint8_t>& pkg, size_t offset) {
  std::vector<uint8_t> cab(pkg.begin() + long(offset), pkg.end());
  XorCabinetHead(cab.data(), cab.size());
  return cab;
}

}  // namespace

TEST_CASE("kestin-pack.exe wraps the real setup program; its threads give the same bytes") {
  std::string dir = NewScratchFolder("winpack");
  std::string product = Product(dir + "p\\");
  std::string stubArgs = StubArgs(dir);
  TRun r = RunPack("build " + Q(product) + " -o " + Q(dir + "setup.exe") + " " + stubArgs);
  INFO(r.err);
  REQUIRE(r.rc == 0);
  REQUIRE(RunPack("build " + Q(product) + " -o " + Q(dir + "one.exe") + " --threads 1 " + stubArgs).rc == 0);
  std::vector<uint8_t> pkg = ReadWholeFile(dir + "setup.exe");
  CHECK(pkg == ReadWholeFile(dir + "one.exe"));

  std::vector<uint8_t> stub = ReadWholeFile(BinaryPath("setup.exe"));
  std::string kestin, cabnam;
  REQUIRE(ReadVersionValue(std::vector<uint8_t>(pkg.begin(), pkg.begin() + long(stub.size())), "kestin", &kestin));
  REQUIRE(ReadVersionValue(std::vector<uint8_t>(pkg.begin(), pkg.begin() + long(stub.size())), "cabnam", &cabnam));
  CHECK(kestin.substr(0, kestin.find(' ')) == std::to_string(stub.size()));
  CHECK(cabnam.substr(0, 5) == "self ");
  std::vector<uint8_t> dll = ReadWholeFile(BinaryPath("uncab.dll"));
  CHECK(std::vector<uint8_t>(pkg.begin() + long(stub.size()), pkg.begin() + long(stub.size() + dll.size())) == dll);
  CHECK(pkg[stub.size() + dll.size()] == 0);
  std::vector<uint8_t> cab = PlainCabinet(pkg, stub.size() + 30720);
  CHECK(std::string(cab.begin(), cab.begin() + 4) == "MSCF");
  CHECK(Le32(cab, 8) == cab.size());
}

TEST_CASE("stored time stamps and attributes come from the Windows file") {
  std::string dir = NewScratchFolder("winattr");
  std::string product = Product(dir + "p\\");
  std::string ro = product + "readme.txt";
  REQUIRE(SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  WIN32_FILE_ATTRIBUTE_DATA data;
  REQUIRE(GetFileAttributesExA(ro.c_str(), GetFileExInfoStandard, &data));
  FILETIME local;
  WORD date = 0, time = 0;
  REQUIRE(FileTimeToLocalFileTime(&data.ftLastWriteTime, &local));
  REQUIRE(FileTimeToDosDateTime(&local, &date, &time));

  REQUIRE(RunPack("build " + Q(product) + " -o " + Q(dir + "a.exe") + " --store " + StubArgs(dir)).rc == 0);
  size_t stubSize = ReadWholeFile(BinaryPath("setup.exe")).size();
  std::vector<TStoredFile> files = StoredFiles(PlainCabinet(ReadWholeFile(dir + "a.exe"), stubSize + 30720));
  REQUIRE(files.size() == 3);
  CHECK(files[0].name == "bin\\big.txt");
  CHECK(files[1].name == "KESTIN\\kestin.ini");
  CHECK(files[2].name == "readme.txt");
  CHECK(files[2].attribs == (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  CHECK(files[2].date == date);
  CHECK(files[2].time == time);
  SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_CASE("a failed build under Windows keeps the old package and leaves no temporary file") {
  std::string dir = NewScratchFolder("winfail");
  std::string product = Product(dir + "p\\");
  std::string out = dir + "out\\";
  CreateDirectoryA(out.c_str(), nullptr);
  Put(out + "setup.exe", "old");
  std::string stubArgs = StubArgs(dir);
  DeleteFileA((product + "KESTIN\\kestin.ini").c_str());
  TRun r = RunPack("build " + Q(product) + " -o " + Q(out + "setup.exe") + " " + stubArgs);
  CHECK(r.rc == 1);
  CHECK(r.err.find("kestin.ini: error: missing") != std::string::npos);

  Put(product + "KESTIN\\kestin.ini", "[General]\r\nCaption=x\r\n");
  WriteWholeFile(dir + "lib.dll", std::vector<uint8_t>(40000, 1));
  r = RunPack("build " + Q(product) + " -o " + Q(out + "setup.exe") + " --stub " + Q(BinaryPath("setup.exe")) +
              " --dll " + Q(dir + "lib.dll"));
  CHECK(r.rc == 1);
  CHECK(r.err.find("room for 30720") != std::string::npos);

  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((out + "*").c_str(), &fd);
  std::vector<std::string> names;
  do {
    if (fd.cFileName[0] != '.') names.push_back(fd.cFileName);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  CHECK(names == std::vector<std::string>{"setup.exe"});
  CHECK(ReadWholeFile(out + "setup.exe") == std::vector<uint8_t>{'o', 'l', 'd'});

  // And a good build replaces it.
  WriteWholeFile(dir + "lib.dll", ReadWholeFile(BinaryPath("uncab.dll")));
  CHECK(RunPack("build " + Q(product) + " -o " + Q(out + "setup.exe") + " --stub " + Q(BinaryPath("setup.exe")) +
                " --dll " + Q(dir + "lib.dll")).rc == 0);
  CHECK(ReadWholeFile(out + "setup.exe").size() > 30720);
}

TEST_CASE("kestin-pack.exe extracts its packages byte for byte, with time stamps and attributes") {
  std::string dir = NewScratchFolder("winext");
  std::string product = Product(dir + "p\\");
  std::string ro = product + "readme.txt";
  REQUIRE(SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  WIN32_FILE_ATTRIBUTE_DATA before;
  REQUIRE(GetFileAttributesExA(ro.c_str(), GetFileExInfoStandard, &before));
  std::string stubArgs = StubArgs(dir);
  for (const char* mode : {"--store", ""}) {
    std::string label = mode;
    CAPTURE(label);
    std::string out = NewScratchFolder("winext-out");
    REQUIRE(RunPack("build " + Q(product) + " -o " + Q(out + "setup.exe") + " " + mode + " " + stubArgs).rc == 0);
    TRun x = RunPack("extract " + Q(out + "setup.exe") + " " + Q(out + "x"));
    INFO(x.err);
    REQUIRE(x.rc == 0);
    for (const char* name : {"KESTIN\\kestin.ini", "bin\\big.txt", "readme.txt"}) {
      std::string file = name;
      CAPTURE(file);
      CHECK(ReadWholeFile(out + "x\\" + name) == ReadWholeFile(product + name));
    }
    WIN32_FILE_ATTRIBUTE_DATA after;
    REQUIRE(GetFileAttributesExA((out + "x\\readme.txt").c_str(), GetFileExInfoStandard, &after));
    CHECK((after.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0);
    // DOS time stamps keep two-second steps.
    ULARGE_INTEGER a, b;
    a.LowPart = before.ftLastWriteTime.dwLowDateTime;
    a.HighPart = before.ftLastWriteTime.dwHighDateTime;
    b.LowPart = after.ftLastWriteTime.dwLowDateTime;
    b.HighPart = after.ftLastWriteTime.dwHighDateTime;
    CHECK(a.QuadPart - b.QuadPart < 20000000ull);
    SetFileAttributesA((out + "x\\readme.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_CASE("a non-ASCII name is stored as UTF-8 with the cabinet's UTF-8 flag, as the Linux build stores it") {
  std::string dir = NewScratchFolder("winutf8");
  std::string product = Product(dir + "p\\");
  std::wstring wide = std::wstring(product.begin(), product.end()) + L"\u00DCber uns \u2013 Read Me.txt";
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  REQUIRE(h != INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(h, "hello", 5, &written, nullptr);
  CloseHandle(h);
  TRun r = RunPack("build " + Q(product) + " -o " + Q(dir + "u.exe") + " " + StubArgs(dir));
  INFO(r.err);
  REQUIRE(r.rc == 0);
  std::vector<uint8_t> stub = ReadWholeFile(BinaryPath("setup.exe"));
  std::vector<TStoredFile> files = StoredFiles(PlainCabinet(ReadWholeFile(dir + "u.exe"), stub.size() + 30720));
  bool found = false;
  for (const TStoredFile& f : files)
    if (f.name == "\xC3\x9C" "ber uns \xE2\x80\x93 Read Me.txt") {
      found = true;
      CHECK((f.attribs & 0x80) != 0);
    }
  CHECK(found);
}
