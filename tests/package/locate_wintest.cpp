// The package lookup, run for real: each case turns a copy of a probe program
// (which carries the setup program's version resource) into a package, starts
// it and reads back what it found.
#include <doctest/doctest.h>

#include <windows.h>

#include <map>
#include <sstream>

#include "package_image.h"
#include "process_win.h"
#include "test_files.h"

namespace {

struct Probe {
  std::map<std::string, std::string> values;
  std::string operator[](const std::string& k) const {
    auto it = values.find(k);
    return it == values.end() ? "<missing>" : it->second;
  }
};

std::vector<uint8_t> ProbeStub() { return ReadWholeFile(BinaryPath("tests/locate_probe.exe")); }
std::vector<uint8_t> ProbeLibrary() { return ReadWholeFile(BinaryPath("tests/probe_lib.dll")); }
std::vector<uint8_t> SomeCabinet() { return std::vector<uint8_t>(500, 0x4D); }

// Writes the package (and a separate cabinet file when cabnam names one) into
// `dir` and returns the package's path.
std::string WritePackage(const std::string& dir, const std::string& name, const std::string& cabnam,
                         const std::string& kestin = "") {
  TPackageParts parts;
  parts.stub = ProbeStub();
  parts.library = ProbeLibrary();
  parts.cabinet = SomeCabinet();
  parts.cabnam = cabnam;
  parts.kestin = kestin;
  REQUIRE(!parts.stub.empty());
  REQUIRE(!parts.library.empty());
  std::vector<uint8_t> pkg, cab;
  std::string err;
  REQUIRE_MESSAGE(AssemblePackage(parts, &pkg, &cab, &err), err);
  REQUIRE(WriteWholeFile(dir + name, pkg));
  if (!cab.empty()) REQUIRE(WriteWholeFile(dir + "data.cab", cab));
  return dir + name;
}

Probe RunProbe(const std::string& exe, const std::string& cwd, const std::string& temp) {
  std::string out = cwd + "probe.txt";
  DeleteFileA(out.c_str());
  int rc = RunAndWait("\"" + exe + "\" \"" + out + "\" \"" + temp + "\"", cwd);
  REQUIRE(rc == 0);
  Probe p;
  std::istringstream in(std::string((const char*)ReadWholeFile(out).data(), ReadWholeFile(out).size()));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t eq = line.find('=');
    if (eq != std::string::npos) p.values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return p;
}

std::string Upper(std::string s) {
  for (char& c : s) c = (char)toupper((unsigned char)c);
  return s;
}

}  // namespace

TEST_CASE("self: cabinet behind the image and the library slot; library copied, loaded, removed") {
  std::string dir = NewScratchFolder("self");
  std::string temp = NewScratchFolder("self-temp");
  std::string exe = WritePackage(dir, "setup.exe", "self");
  Probe p = RunProbe(exe, dir, temp);
  CHECK(Upper(p["path"]) == Upper(exe));
  CHECK(p["offset"] == std::to_string(ProbeStub().size() + 30720));
  CHECK(p["loaded"] == "1");
  CHECK(p["probe"] == "42");
  CHECK(p["copy_while_loaded"] == "1");
  CHECK(p["copy_after_unload"] == "0");
}

TEST_CASE("self with blanks around it is still self; Self is a file name") {
  std::string dir = NewScratchFolder("blanks");
  std::string exe = WritePackage(dir, "setup.exe", "  self  ");
  Probe p = RunProbe(exe, dir, "");
  CHECK(p["offset"] == std::to_string(ProbeStub().size() + 30720));

  dir = NewScratchFolder("capital");
  exe = WritePackage(dir, "setup.exe", "Self");
  p = RunProbe(exe, dir, "");
  CHECK(Upper(p["path"]) == Upper(dir + "Self"));
  CHECK(p["offset"] == "0");
}

TEST_CASE("separate cabinet file: beside the package, offset 0, library from the program's end") {
  std::string dir = NewScratchFolder("sep");
  std::string temp = NewScratchFolder("sep-temp");
  std::string exe = WritePackage(dir, "setup.exe", "data.cab");
  Probe p = RunProbe(exe, dir, temp);
  CHECK(Upper(p["path"]) == Upper(dir + "data.cab"));
  CHECK(p["offset"] == "0");
  CHECK(p["loaded"] == "1");
  CHECK(p["probe"] == "42");
}

TEST_CASE("a kestin value that is not a number places the cabinet at 30720") {
  std::string dir = NewScratchFolder("nonumber");
  std::string exe = WritePackage(dir, "setup.exe", "self", "twelve");
  Probe p = RunProbe(exe, dir, "");
  CHECK(p["offset"] == "30720");
}

TEST_CASE("a renamed package finds itself under its new name") {
  std::string dir = NewScratchFolder("renamed");
  std::string temp = NewScratchFolder("renamed-temp");
  std::string exe = WritePackage(dir, "My Product 2.0 Setup.exe", "self");
  Probe p = RunProbe(exe, dir, temp);
  CHECK(Upper(p["path"]) == Upper(exe));
  CHECK(p["probe"] == "42");
}

TEST_CASE("a library planted beside the package or in the current folder is never loaded") {
  std::string dir = NewScratchFolder("planted");
  std::string temp = NewScratchFolder("planted-temp");
  std::string exe = WritePackage(dir, "setup.exe", "self");
  std::vector<uint8_t> planted = ReadWholeFile(BinaryPath("tests/planted_lib.dll"));
  REQUIRE(!planted.empty());
  REQUIRE(WriteWholeFile(dir + "uncab.dll", planted));
  Probe p = RunProbe(exe, dir, temp);
  CHECK(p["loaded"] == "1");
  CHECK(p["probe"] == "42");
}

TEST_CASE("a library that cannot be written is reported, not loaded") {
  std::string dir = NewScratchFolder("nowrite");
  std::string exe = WritePackage(dir, "setup.exe", "self");
  Probe p = RunProbe(exe, dir, dir + "no such folder\\");
  CHECK(p["loaded"] == "0");
  CHECK(p["copy_after_unload"] == "0");
}
