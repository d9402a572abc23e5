// A package around the start-up probe (the real start-up code plus the
// setup program's resources), started with a temporary folder of its own;
// what it did comes back as key=value lines.
#pragma once
#include <doctest/doctest.h>

#include <windows.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cab_builder.h"
#include "package_image.h"
#include "process_win.h"
#include "test_files.h"

inline std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

inline const char kScript[] =
    "[General]\r\nNext=&Next >\r\nError=Fehler\r\nReg_NameExists=TAKEN\r\nUpperColor=$02112233\r\n"
    "CharSet=204\r\n"
    "[Files]\r\n1=readme.txt\r\n2=docs\\guide.txt\r\n3=not-there.txt\r\n"
    "[Path]\r\nFindPath=KestinTestOld\r\n";

inline std::vector<TCabEntry> DemoFiles(const std::string& script = kScript) {
  std::vector<TCabEntry> f(4);
  f[0].name = "KESTIN\\kestin.ini";
  f[0].data = Bytes(script);
  f[1].name = "KESTIN\\welcome.txt";
  f[1].data = Bytes("Welcome,\r\nfriend.");
  f[2].name = "readme.txt";
  f[2].data = Bytes(std::string(1234, 'r'));
  f[3].name = "docs\\guide.txt";
  f[3].data = Bytes(std::string(40000, 'g'));
  f[3].attribs = 0x01 | 0x20 | 0x40;  // read-only, archive, and the run-after-extract flag
  return f;
}

struct Run {
  std::map<std::string, std::string> values;
  std::vector<std::string> messages;
  std::string operator[](const std::string& k) const {
    auto it = values.find(k);
    return it == values.end() ? "<missing>" : it->second;
  }
};

struct Package {
  std::string dir, temp, exe;
  std::string cwd;                // where it is started from; its own folder when empty
  std::vector<std::string> env;   // further NAME=value settings
  Package(const Package&) = delete;
  explicit Package(const std::string& tag) {
    dir = NewScratchFolder(tag);
    temp = NewScratchFolder(tag + "-tmp");
  }
  std::vector<uint8_t> library = ReadWholeFile(BinaryPath("uncab.dll"));
  void Write(const std::vector<uint8_t>& cabinet, const std::string& cabnam = "self", bool appendCab = true) {
    TPackageParts parts;
    parts.stub = ReadWholeFile(BinaryPath("tests/startup_probe.exe"));
    parts.library = library;
    REQUIRE(!parts.stub.empty());
    REQUIRE(!parts.library.empty());
    parts.cabinet = cabinet;
    parts.cabnam = cabnam;
    std::vector<uint8_t> pkg, cab;
    std::string err;
    REQUIRE_MESSAGE(AssemblePackage(parts, &pkg, &cab, &err), err);
    if (!appendCab && cabnam == "self") pkg.resize(parts.stub.size() + 30720);
    exe = dir + "setup.exe";
    REQUIRE(WriteWholeFile(exe, pkg));
    if (!cab.empty()) REQUIRE(WriteWholeFile(dir + cabnam, cab));
  }
  Run Start(const std::string& commands = "") {
    std::string out = dir + "probe.txt";
    DeleteFileA(out.c_str());
    std::vector<std::string> settings = env;
    settings.push_back("TMP=" + temp);
    settings.push_back("TEMP=" + temp);
    int rc = RunAndWaitWithEnv("\"" + exe + "\" \"" + out + "\" " + commands, cwd.empty() ? dir : cwd, settings);
    REQUIRE(rc == 0);
    Run r;
    std::vector<uint8_t> bytes = ReadWholeFile(out);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      std::string key = line.substr(0, eq), value = line.substr(eq + 1);
      if (key == "message") r.messages.push_back(value);
      else r.values[key] = value;
    }
    return r;
  }
  bool TempHas(const std::string& name) const {
    return GetFileAttributesA((temp + name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
};

// The names in `folder` (a path with a trailing separator), "." and ".." left out.
inline std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    std::string n = found.cFileName;
    if (n != "." && n != "..") names.push_back(n);
  } while (FindNextFileA(h, &found));
  FindClose(h);
  return names;
}

inline std::string FileText(const std::string& path) {
  std::vector<uint8_t> b = ReadWholeFile(path);
  return std::string(b.begin(), b.end());
}
