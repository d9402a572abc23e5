// Which code page texts are in, which one the system shows, and the font
// character set that goes with it.
#include <doctest/doctest.h>

#include <initializer_list>

#include "base/code_pages.h"

TEST_CASE("the legacy code page: the active one, else the locale's, else Western") {
  struct { unsigned active, locale, legacy; } rows[] = {
      {1252, 1251, 1252},   // the manifest ignored: what the system runs under
      {932, 0, 932},
      {65001, 1251, 1251},  // UTF-8 honoured: the locale decides
      {65001, 0, 1252},     // a locale without an ANSI code page
      {65001, 65001, 1252},
  };
  for (auto& r : rows) {
    CAPTURE(r.active);
    CAPTURE(r.locale);
    CHECK(LegacyCodePageRule(r.active, r.locale) == r.legacy);
  }
}

TEST_CASE("texts: UTF-8 when marked with a byte-order mark, else the CharSet's code page, else the system's") {
  struct { bool named; int charSet; unsigned legacy, page; } rows[] = {
      {true, 204, 1252, 1251},  {true, 128, 1252, 932},  {true, 0x1CC, 1252, 1251},  // the low byte counts
      {true, 0, 1251, 1252},    // Western, named
      {true, 256, 932, 1252},
      {false, 0, 1251, 1251},   // none named: the system's, as always
      {true, 2, 1253, 1253},    // symbol: no code page of its own
      {true, 1, 1250, 1250},
  };
  for (auto& r : rows) {
    CAPTURE(r.charSet);
    CHECK(PackageCodePageRule(r.named, r.charSet, r.legacy) == r.page);
  }
  CHECK(TextCodePageRule("\xEF\xBB\xBF[General]", 12, 1251) == 65001);
  CHECK(TextCodePageRule("\xEF\xBB", 2, 1251) == 1251);
  CHECK(TextCodePageRule("\xC3\xBC", 2, 1251) == 1251);  // unmarked UTF-8 is the package's code page
  // The two tables are one.
  for (unsigned page : {874u, 932u, 936u, 949u, 950u, 1250u, 1251u, 1253u, 1254u, 1255u, 1256u, 1257u, 1361u})
    CHECK(CodePageForCharset(CharsetForCodePage(page)) == page);
  CHECK(CodePageForCharset(0) == 1252);
}
