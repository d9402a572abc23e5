#include <doctest/doctest.h>

#include <string>

#include "app/startup.h"
#include "package/package_error.h"

TEST_CASE("a temporary folder whose name the system refuses is named as a name problem, a full one as full") {
  TError e;
  e.Set(kErrorPackage, kLibraryNotWritten, 123, "C:\\users\\J?rgen??\\Temp\\uncab.dll");
  CHECK(std::string(StartupErrorText(e).c_str()).rfind("Setup cannot use the temporary folder: the folder name cannot "
                                                       "be used here:\nC:\\users\\J?rgen??\\Temp\\uncab.dll\n\n", 0) == 0);
  e.SystemError = 112;
  CHECK(std::string(StartupErrorText(e).c_str()).find("The disk may be full") != std::string::npos);
}
