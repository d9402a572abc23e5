#include <doctest/doctest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "package/package_layout.h"
#include "package/scramble.h"
#include "fake_stub.h"
#include "package_image.h"
#include "stub_patch.h"

TEST_CASE("self: the cabinet follows the program image and the library slot") {
  TPackagePlace p = PlacePackage("C:\\dl\\setup.exe", "self", "158720");
  CHECK(p.cabinetPath == "C:\\dl\\setup.exe");
  CHECK(p.cabinetOffset == 189440);
  CHECK(HelperLibraryStart(p.cabinetOffset, 999999) == 158720);
}

TEST_CASE("self with blanks around it counts; other spellings are file names") {
  CHECK(PlacePackage("P", "  self \t", "10").cabinetOffset == 10 + 30720);
  TPackagePlace p = PlacePackage("C:\\dl\\setup.exe", "Self", "10");
  CHECK(p.cabinetPath == "C:\\dl\\Self");
  CHECK(p.cabinetOffset == 0);
}

TEST_CASE("a separate cabinet: beside the package, offset 0, library at the file's end") {
  TPackagePlace p = PlacePackage("C:\\dl\\setup.exe", " data.cab ", "158720");
  CHECK(p.cabinetPath == "C:\\dl\\data.cab");
  CHECK(p.cabinetOffset == 0);
  CHECK(HelperLibraryStart(0, 100000) == 100000 - 30720);
  CHECK(HelperLibraryStart(0, 100) < 0);
}

TEST_CASE("a kestin value that is no usable size gives offset 30720") {
  for (const char* bad : {"abc", "", "12x", "-5", "2147483647"}) {
    CAPTURE(bad);
    CHECK(PlacePackage("P", "self", bad).cabinetOffset == 30720);
  }
  CHECK(PlacePackage("P", "self", "$100").cabinetOffset == 256 + 30720);
}

TEST_CASE("a relative cabinet path is taken from the package's folder; an anchored one as written") {
  CHECK(PlacePackage("C:\\dl\\setup.exe", "cabs\\..\\data.cab", "").cabinetPath == "C:\\dl\\cabs\\..\\data.cab");
  CHECK(PlacePackage("\\\\srv\\share\\setup.exe", "data.cab", "").cabinetPath == "\\\\srv\\share\\data.cab");
  for (const char* anchored : {"D:\\cabs\\data.cab", "D:data.cab", "\\cabs\\data.cab", "\\\\srv\\s\\d.cab", "/c/d.cab"}) {
    CAPTURE(anchored);
    CHECK(PlacePackage("C:\\dl\\setup.exe", anchored, "").cabinetPath == anchored);
  }
}

TEST_CASE("no cabnam value leaves the path empty") {
  CHECK(PlacePackage("P", "", "100").cabinetPath.empty());
  CHECK(PlacePackage("P", " \t ", "100").cabinetPath.empty());
}

TEST_CASE("scrambling XORs the first 128 bytes word by word and undoes itself") {
  std::vector<uint8_t> cab(300);
  for (size_t i = 0; i < cab.size(); i++) cab[i] = uint8_t(i * 7);
  std::vector<uint8_t> s = cab;
  XorCabinetHead(s.data(), s.size());
  CHECK(s[0] == (cab[0] ^ 0xE1));
  CHECK(s[1] == (cab[1] ^ 0x96));
  CHECK(s[2] == (cab[2] ^ 0x5A));
  CHECK(s[3] == (cab[3] ^ 0x3C));
  CHECK(s[127] == (cab[127] ^ 0x3C));
  CHECK(std::memcmp(s.data() + 128, cab.data() + 128, 172) == 0);
  XorCabinetHead(s.data(), s.size());
  CHECK(s == cab);

  // A piece read from the middle of the head descrambles like the whole.
  std::vector<uint8_t> t = cab;
  XorCabinetHead(t.data(), t.size());
  XorCabinetHeadAt(t.data() + 100, 50, 100);
  CHECK(std::memcmp(t.data() + 100, cab.data() + 100, 50) == 0);

  std::vector<uint8_t> tiny = {1, 2, 3, 4, 5};
  std::vector<uint8_t> tiny2 = tiny;
  XorCabinetHead(tiny2.data(), tiny2.size());
  XorCabinetHead(tiny2.data(), tiny2.size());
  CHECK(tiny2 == tiny);
}

// Some bytes with one version record in them.
static std::vector<uint8_t> FakeImageWith(const std::string& key, const std::string& value) {
  std::vector<uint8_t> img(64, 0xCC);
  AppendVersionRecord(img, key, value);
  img.resize(img.size() + 40, 0xCC);
  return img;
}

TEST_CASE("patching a version value keeps every other byte in place") {
  std::vector<uint8_t> img = FakeImageWith("kestin", "                ");
  std::vector<uint8_t> before = img;
  std::string err;
  REQUIRE(PatchVersionValue(img, "kestin", "60416", &err));
  CHECK(img.size() == before.size());
  std::string v;
  REQUIRE(ReadVersionValue(img, "kestin", &v));
  CHECK(v == "60416           ");
  // Only the value's characters differ.
  size_t diffs = 0;
  for (size_t i = 0; i < img.size(); i++) diffs += img[i] != before[i];
  CHECK(diffs == 5);
}

TEST_CASE("patching refuses a value that does not fit or a key that is missing") {
  std::vector<uint8_t> img = FakeImageWith("cabnam", "    ");
  std::string err;
  CHECK_FALSE(PatchVersionValue(img, "cabnam", "toolong", &err));
  CHECK(err.find("room for 4") != std::string::npos);
  CHECK_FALSE(PatchVersionValue(img, "kestin", "1", &err));
  CHECK(err.find("no version value 'kestin'") != std::string::npos);
}

TEST_CASE("assembling: image, library padded to its slot, scrambled cabinet") {
  TPackageParts parts;
  parts.stub = FakeStub();
  parts.library = std::vector<uint8_t>(1000, 0xAB);
  parts.cabinet = std::vector<uint8_t>(200, 0x11);
  std::vector<uint8_t> pkg, sep;
  std::string err;
  REQUIRE(AssemblePackage(parts, &pkg, &sep, &err));
  CHECK(pkg.size() == parts.stub.size() + 30720 + 200);
  CHECK(pkg[parts.stub.size()] == 0xAB);
  CHECK(pkg[parts.stub.size() + 1000] == 0);
  CHECK(pkg[parts.stub.size() + 30720] == (0x11 ^ 0xE1));
  CHECK(pkg.back() == 0x11);
  CHECK(sep.empty());
  std::string v;
  REQUIRE(ReadVersionValue(pkg, "kestin", &v));
  CHECK(TrimControl(v.c_str()) == IntToStr((long long)parts.stub.size()));

  parts.cabnam = "data.cab";
  REQUIRE(AssemblePackage(parts, &pkg, &sep, &err));
  CHECK(pkg.size() == parts.stub.size() + 30720);
  CHECK(sep.size() == 200);

  parts.library.resize(30721);
  CHECK_FALSE(AssemblePackage(parts, &pkg, &sep, &err));
  CHECK(err.find("room for 30720") != std::string::npos);
}
