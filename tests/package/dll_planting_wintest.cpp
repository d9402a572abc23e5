// A version.dll left beside the package (a Downloads folder) must never be
// loaded while the package finds itself. The probe runs the real package
// lookup and imports nothing but the system's own core libraries, so any load
// of the planted copy would come from the lookup. (setup.exe's import table
// itself is checked by scripts/check-release.sh: under Wine its user32 imports
// the version library, so a run of setup.exe cannot tell.)
#include <doctest/doctest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "package_image.h"
#include "process_win.h"
#include "test_files.h"

namespace {

// Wine takes each library's load order from the registry when a process
// starts; this makes it prefer a version.dll beside the program, as Windows
// does for any library that is not one of its known ones.
struct TPreferPlantedVersion {
  const char* key = "Software\\Wine\\DllOverrides";
  TPreferPlantedVersion() {
    HKEY k;
    REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) ==
            ERROR_SUCCESS);
    RegSetValueExA(k, "version", 0, REG_SZ, (const BYTE*)"native,builtin", 15);
    RegCloseKey(k);
  }
  ~TPreferPlantedVersion() {
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
      RegDeleteValueA(k, "version");
      RegCloseKey(k);
    }
  }
};

std::string FolderWithPlantedVersion(const char* tag) {
  std::string dir = NewScratchFolder(tag);
  std::vector<uint8_t> planted = ReadWholeFile(BinaryPath("tests/planted/version.dll"));
  REQUIRE(!planted.empty());
  REQUIRE(WriteWholeFile(dir + "version.dll", planted));
  return dir;
}

bool PlantedRan(const std::string& dir) {
  return GetFileAttributesA((dir + "planted-version-ran").c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TEST_CASE("a version.dll planted beside the package is not loaded by the package lookup") {
  TPreferPlantedVersion preferPlanted;

  // The control: a program that imports the version library picks the
  // planted copy up, so this Wine would show a load.
  std::string control = FolderWithPlantedVersion("planted-control");
  REQUIRE(WriteWholeFile(control + "importer.exe", ReadWholeFile(BinaryPath("tests/planted/version_importer.exe"))));
  CHECK(RunAndWait("\"" + control + "importer.exe\"", control) == 0);
  REQUIRE_MESSAGE(PlantedRan(control), "this Wine never loads a planted version.dll; the test shows nothing");

  std::string dir = FolderWithPlantedVersion("planted-package");
  TPackageParts parts;
  parts.stub = ReadWholeFile(BinaryPath("tests/locate_probe.exe"));
  parts.library = ReadWholeFile(BinaryPath("tests/probe_lib.dll"));
  parts.cabinet.assign(500, 0x4D);
  parts.cabnam = "self";
  std::vector<uint8_t> pkg, cab;
  std::string err;
  REQUIRE_MESSAGE(AssemblePackage(parts, &pkg, &cab, &err), err);
  REQUIRE(WriteWholeFile(dir + "setup.exe", pkg));
  std::string out = dir + "probe.txt";
  CHECK(RunAndWait("\"" + dir + "setup.exe\" \"" + out + "\" \"\"", dir) == 0);
  std::vector<uint8_t> found = ReadWholeFile(out);
  std::string text(found.begin(), found.end());
  // The version values were read: the cabinet lies behind the library slot.
  CHECK(text.find("offset=" + std::to_string(parts.stub.size() + 30720)) != std::string::npos);
  CHECK_FALSE(PlantedRan(dir));
}
