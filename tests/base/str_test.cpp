#include <doctest/doctest.h>

#include <initializer_list>

#include "base/str.h"

TEST_CASE("numbers: decimal and hexadecimal, anything else refused as 0") {
  int v = -1;
  CHECK(StrToInt32("158720", &v)); CHECK(v == 158720);
  CHECK(StrToInt32(" 42 ", &v)); CHECK(v == 42);
  CHECK(StrToInt32("-17", &v)); CHECK(v == -17);
  CHECK(StrToInt32("$02999900", &v)); CHECK(v == 0x02999900);
  CHECK(StrToInt32("0x1F", &v)); CHECK(v == 31);
  CHECK(StrToInt32("$80000005", &v)); CHECK(v == (int)0x80000005u);
  CHECK(StrToInt32("2147483647", &v)); CHECK(v == 2147483647);
  CHECK(StrToInt32("-2147483648", &v)); CHECK(v == (int)0x80000000u);
  for (const char* bad : {"", " ", "abc", "12a", "1 2", "$", "0x", "2147483648", "99999999999",
                          "$100000000", "--1", "+"}) {
    CAPTURE(bad);
    CHECK_FALSE(StrToInt32(bad, &v));
    CHECK(v == 0);
  }
}

TEST_CASE("trimming removes codes 0 to 32 at both ends only") {
  CHECK(TrimControl(" \t self \r\n") == "self");
  CHECK(TrimControl(TStr("\0x\0", 3)) == "x");
  CHECK(TrimControl("a b") == "a b");
  CHECK(TrimControl("   ").empty());
}

TEST_CASE("path parts split at the last backslash or colon") {
  CHECK(FileNamePart("C:\\a\\setup.exe") == "setup.exe");
  CHECK(FolderPart("C:\\a\\setup.exe") == "C:\\a\\");
  CHECK(FileNamePart("C:setup.exe") == "setup.exe");
  CHECK(FolderPart("C:setup.exe") == "C:");
  CHECK(FolderPart("setup.exe").empty());
  CHECK(WithBackslash("C:\\x") == "C:\\x\\");
  CHECK(WithBackslash("C:\\x\\") == "C:\\x\\");
  CHECK(WithBackslash("").empty());
  CHECK(WindowsSeparators("D:/Apps\\Kestrel/") == "D:\\Apps\\Kestrel\\");
}

TEST_CASE("text keeps embedded zeros, copies and moves independently") {
  TStr a("ab", 2);
  a += TStr("\0c", 2);
  CHECK(a.size() == 4);
  TStr b = a;
  b += "d";
  CHECK(a.size() == 4);
  CHECK(b.size() == 5);
  TStr c = static_cast<TStr&&>(b);
  CHECK(c.size() == 5);
  CHECK(b.empty());
  CHECK(UpperAscii("aZ\xe4") == "AZ\xe4");  // only ASCII letters change
  CHECK(SameTextAscii("Kestin\\Kestin.INI", "KESTIN\\kestin.ini"));
  CHECK_FALSE(SameTextAscii("a", "ab"));
  CHECK(IntToStr(-2147483647 - 1) == "-2147483648");
  CHECK(IntToStr(0) == "0");
}
