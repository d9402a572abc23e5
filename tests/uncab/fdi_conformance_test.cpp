// The engine against cabinets other tools made: gcab's stored and MSZIP
// cabinets, checked against the input files and against cabextract, and the
// sample cabinets with known good and known bad shapes.
#include <doctest/doctest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "cab_builder.h"
#include "memory_fdi.h"
#include "test_files.h"

namespace fs = std::filesystem;
using memfdi::Recorder;
using memfdi::Session;

namespace {

// The files a gcab cabinet is made of, by stored name (folder separator '\').
std::map<std::string, std::vector<uint8_t>> SampleTree() {
  return {{"readme.txt", {'h', 'e', 'l', 'l', 'o', '\r', '\n'}},
          {"empty.txt", {}},
          {"data\\big.bin", cabbuild::Pattern(200000, 21)},
          {"data\\text.txt", std::vector<uint8_t>(50000, 'a')},
          {"sub\\dir\\x.ini", {'[', 'x', ']'}}};
}

std::string Slashed(std::string s) {
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

int Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

// Writes the tree under a scratch folder and packs it with gcab.
std::string MakeGcabCabinet(const std::string& tag, bool compress) {
  std::string dir = NewScratchFolder(tag);
  std::string files;
  for (auto& [name, bytes] : SampleTree()) {
    fs::path p = fs::path(dir) / Slashed(name);
    fs::create_directories(p.parent_path());
    REQUIRE(WriteWholeFile(p.string(), bytes));
    files += " " + Slashed(name);
  }
  std::string cab = dir + "out.cab";
  REQUIRE(Run("cd '" + dir + "' && gcab -c " + (compress ? "-z " : "") + "out.cab" + files) == 0);
  return cab;
}

// Extracts every file of `path` with the engine into memory.
std::map<std::string, std::vector<uint8_t>> ExtractAll(const std::string& path, int* ok,
                                                        TFdiError* error = nullptr) {
  Session s;
  s.Put("cab", ReadWholeFile(path));
  Recorder r;
  *ok = s.Copy("cab", "", &r);
  if (error) *error = s.error;
  std::map<std::string, std::vector<uint8_t>> out;
  for (auto* e : r.OfType(kFdintCloseFileInfo)) out[e->psz1] = s.disk.written[e->hf];
  return out;
}

// What cabextract makes of the cabinet, by stored name.
std::map<std::string, std::vector<uint8_t>> CabextractAll(const std::string& cab) {
  std::string dir = NewScratchFolder("cabextract");
  REQUIRE(Run("cabextract -q -d '" + dir + "' '" + cab + "'") == 0);
  std::map<std::string, std::vector<uint8_t>> out;
  for (auto& e : fs::recursive_directory_iterator(dir)) {
    if (!e.is_regular_file()) continue;
    std::string rel = fs::relative(e.path(), dir).string();
    for (char& c : rel)
      if (c == '/') c = '\\';
    out[rel] = ReadWholeFile(e.path().string());
  }
  return out;
}

void CheckGcabRoundTrip(bool compress) {
  std::string cab = MakeGcabCabinet(compress ? "gcab-z" : "gcab", compress);
  int ok = 0;
  auto ours = ExtractAll(cab, &ok);
  REQUIRE(ok == 1);
  CHECK(ours == SampleTree());
  CHECK(ours == CabextractAll(cab));
}

}  // namespace

TEST_SUITE("FDI with other tools' cabinets") {
  TEST_CASE("a gcab stored cabinet extracts byte-identically") { CheckGcabRoundTrip(false); }

  TEST_CASE("a gcab MSZIP cabinet extracts byte-identically") { CheckGcabRoundTrip(true); }

  TEST_CASE("a flipped data byte in a gcab cabinet is caught by the checksum") {
    std::string cab = MakeGcabCabinet("gcab-flip", false);
    std::vector<uint8_t> bytes = ReadWholeFile(cab);
    bytes[bytes.size() - 100] ^= 1;
    REQUIRE(WriteWholeFile(cab, bytes));
    int ok = 1;
    TFdiError err{};
    ExtractAll(cab, &ok, &err);
    CHECK(ok == 0);
    CHECK(err.oper == kFdiCorruptCabinet);
  }
}

TEST_SUITE("FDI sample cabinets") {
  TEST_CASE("cabinets that extract cleanly, as cabextract extracts them") {
    std::string name;
    SUBCASE("two files in one folder") { name = "normal_2files_1folder.cab"; }
    SUBCASE("reserved areas everywhere") { name = "reserve_HFD.cab"; }
    SUBCASE("one folder of each compression type") { name = "mszip_lzx_qtm.cab"; }
    CAPTURE(name);
    std::string path = TestDataPath("cab/" + name);
    int ok = 0;
    auto ours = ExtractAll(path, &ok);
    CHECK(ok == 1);
    CHECK(ours.size() >= 2);
    CHECK(ours == CabextractAll(path));
  }

  TEST_CASE("the three-type cabinet gives the documented sizes") {
    int ok = 0;
    auto ours = ExtractAll(TestDataPath("cab/mszip_lzx_qtm.cab"), &ok);
    CHECK(ok == 1);
    CHECK(ours["mszip.txt"].size() == 57);
    CHECK(ours["lzx.txt"].size() == 187);
    CHECK(ours["qtm.txt"].size() == 59);
  }

  TEST_CASE("damaged tables are refused before any file") {
    std::string name;
    SUBCASE("a file in a folder that does not exist") { name = "bad_folderindex.cab"; }
    SUBCASE("cut off inside a file entry") { name = "partial_shortfile1.cab"; }
    SUBCASE("cut off inside the data, with reserved areas") { name = "cve-2015-4471-lzx-under-read.cab"; }
    CAPTURE(name);
    Session s;
    s.Put("cab", ReadWholeFile(TestDataPath("cab/" + name)));
    Recorder r;
    CHECK(s.Copy("cab", "", &r) == 0);
    CHECK(s.error.oper == kFdiCorruptCabinet);
    CHECK(r.OfType(kFdintCopyFile).empty());
  }

  TEST_CASE("compressed data made to trip decoders is refused promptly") {
    std::string name;
    SUBCASE("MSZIP that loops") { name = "cve-2010-2800-mszip-infinite-loop.cab"; }
    SUBCASE("Quantum block of the largest size") { name = "cve-2018-18584-qtm-max-size-block.cab"; }
    CAPTURE(name);
    auto start = std::chrono::steady_clock::now();
    Session s;
    s.Put("cab", ReadWholeFile(TestDataPath("cab/" + name)));
    Recorder r;
    CHECK(s.Copy("cab", "", &r) == 0);
    CHECK(s.error.flag != 0);
    CHECK(r.OfType(kFdintCloseFileInfo).empty());
    CHECK(std::chrono::steady_clock::now() - start < std::chrono::seconds(5));
  }
}
