#include <doctest/doctest.h>

#include <initializer_list>
#include <string>

#include "package/package_error.h"
#include "uncab/fdi_types.h"

namespace {
std::string Text(int code, unsigned system, const char* subject) {
  TError e;
  e.Set(kErrorPackage, code, system, subject);
  return PackageErrorText(e).c_str();
}
}  // namespace

TEST_CASE("cabinet failures read 'Cabinet error : ' with both codes, the reason and the file") {
  CHECK(Text(kFdiCorruptCabinet, 0, "") == "Cabinet error : 4 0\n\nThe cabinet is damaged.");
  CHECK(Text(kFdiTargetFile, 112, "C:\\App\\big.dat") ==
        "Cabinet error : 8 112\n\nA file could not be written.\nFile: C:\\App\\big.dat");
  CHECK(Text(kCabinetUnsafeName, 0, "..\\evil.txt") ==
        "Cabinet error : 8 0\n\nA file could not be written.\nThe cabinet holds a file whose name would be "
        "written outside the target folder: ..\\evil.txt");
  CHECK(Text(kCabinetSetLoops, 0, "a.cab").rfind("Cabinet error : 10 0\n\n", 0) == 0);
  CHECK(Text(kCabinetBadNextName, 0, "..\\b.cab").find("..\\b.cab") != std::string::npos);
}

TEST_CASE("every package code has words") {
  for (int code : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 20, 21, 22, 23, 24, 30, 31, 32}) {
    CAPTURE(code);
    CHECK(Text(code, 0, "x").size() > 20);
  }
}

TEST_CASE("a name the system refuses is a name problem, not a full disk or a damaged package") {
  for (unsigned system : {123u, 161u, 206u, 1113u})
    CHECK(Text(kFdiTargetFile, system, "C:\\J?rgen.txt").find("\n\nThe file name cannot be used here: C:\\J?rgen.txt") != std::string::npos);
  CHECK_FALSE(IsRefusedName(112));  // the disk is full
}
