#include <doctest/doctest.h>

#include <initializer_list>

#include "package/stored_name.h"

TEST_CASE("ordinary stored names are safe") {
  for (const char* ok : {"readme.txt", "KESTIN\\kestin.ini", "bin/tool.exe", "a\\b\\c.d", "cond\\x",
                         "console.txt", "COM10", "nul0", ".profile", "a..b", "LPT", "x\\...a"}) {
    CAPTURE(ok);
    CHECK(IsSafeStoredName(ok));
  }
}

TEST_CASE("names that could leave the target folder are refused") {
  for (const char* bad : {"", "..", "..\\evil.txt", "a\\..\\..\\evil", "a/../b", "\\abs.txt", "/abs",
                          "C:\\Windows\\x.dll", "C:x", "file.txt:stream", "a\\\\b", "dir\\",
                          "a\\.\\b", "...", ". .", "a\\ ..\\b"}) {
    CAPTURE(bad);
    CHECK_FALSE(IsSafeStoredName(bad));
  }
  CHECK_FALSE(IsSafeStoredName(nullptr));
}

TEST_CASE("device names are refused with or without extension, in any case") {
  for (const char* bad : {"CON", "con.txt", "dir\\NUL", "aux.log", "Prn", "COM1", "lpt9.dat",
                          "CONIN$", "conout$.x", "COM3 .txt", "x\\clock$", "con.d\\x"}) {
    CAPTURE(bad);
    CHECK_FALSE(IsSafeStoredName(bad));
  }
}

TEST_CASE("control characters are refused") {
  CHECK_FALSE(IsSafeStoredName("a\tb"));
  CHECK_FALSE(IsSafeStoredName("a\x01"));
}

TEST_CASE("a next cabinet must be a plain file name beside the current one") {
  for (const char* ok : {"disk2.cab", "DATA 2.CAB", "a..b.cab", ".cab"}) {
    CAPTURE(ok);
    CHECK(IsPlainCabinetName(ok));
  }
  for (const char* bad : {"", "..", ".", "...", "..\\next.cab", "sub\\next.cab", "sub/next.cab", "\\next.cab",
                          "C:next.cab", "C:\\next.cab", "next.cab:s", "con.cab", "nul", "a\tb.cab"}) {
    CAPTURE(bad);
    CHECK_FALSE(IsPlainCabinetName(bad));
  }
  CHECK_FALSE(IsPlainCabinetName(nullptr));
}

TEST_CASE("'/' is the separator '\\' stands for, in paths and comparisons") {
  CHECK(StoredNameAsPath("docs/sub/guide.txt") == "docs\\sub\\guide.txt");
  CHECK(StoredNameAsPath("plain.txt") == "plain.txt");
  struct {
    const char *a, *b;
    bool same;
  } const cases[] = {{"KESTIN/Welcome.txt", "kestin\\WELCOME.TXT", true}, {"a\\b", "a/b", true},
                     {"a\\b", "a\\bc", false}, {"a\\b", "ab", false}, {"\xC4.txt", "\xE4.txt", false}};
  for (const auto& c : cases) {
    CAPTURE(c.a);
    CAPTURE(c.b);
    CHECK(SameStoredName(c.a, c.b) == c.same);
    // A lookup by key finds exactly what the comparison matches.
    CHECK((StoredNameKey(c.a) == StoredNameKey(c.b)) == c.same);
  }
}

TEST_CASE("a stored name's code page: UTF-8 when marked, else the package's; ASCII needs none") {
  CHECK(StoredNameCodePage("Gr\xC3\xB6\xC3\x9F" "e.txt", 0x80 | 0x20, 1251) == 65001);
  CHECK(StoredNameCodePage("Gr\xF6\xDF" "e.txt", 0x20, 1251) == 1251);
  CHECK(StoredNameCodePage("docs\\guide.txt", 0x80, 1251) == 0);
}
