// System libraries loaded at run time come from the system folder only.
#include <doctest/doctest.h>

#include <windows.h>

#include <string>

#include "base/system_library.h"

namespace {
std::string Upper(std::string s) {
  for (char& c : s) c = (char)toupper((unsigned char)c);
  return s;
}
}  // namespace

TEST_CASE("a system library is taken from the system folder") {
  TError error;
  HMODULE module = (HMODULE)LoadSystemLibrary("wininet.dll", &error);
  REQUIRE(module);
  CHECK_FALSE(error.Failed());
  char got[MAX_PATH], system[MAX_PATH];
  GetModuleFileNameA(module, got, MAX_PATH);
  GetSystemDirectoryA(system, MAX_PATH);
  CHECK(Upper(got) == Upper(std::string(system) + "\\wininet.dll"));
  FreeLibrary(module);
}

TEST_CASE("names with a path are refused; a missing library says which file") {
  for (const char* bad : {"", "..\\wininet.dll", "C:\\x\\wininet.dll", "sub/wininet.dll", "C:wininet.dll"}) {
    CAPTURE(bad);
    TError error;
    CHECK(LoadSystemLibrary(bad, &error) == nullptr);
    CHECK(error.Code == kSystemLibraryFailed);
  }
  TError error;
  CHECK(LoadSystemLibrary("kestin-no-such-library.dll", &error) == nullptr);
  CHECK(error.Code == kSystemLibraryFailed);
  CHECK(error.SystemError != 0);
  CHECK(Upper(error.Subject.c_str()).find("\\KESTIN-NO-SUCH-LIBRARY.DLL") != std::string::npos);
}
