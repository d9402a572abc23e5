#include <doctest/doctest.h>

#include <initializer_list>

#include "base/code_pages.h"

TEST_CASE("code pages: the legacy one, the package's, one text's, and the two tables agree") {
  CHECK(LegacyCodePageRule(1252, 1251) == 1252);   // UTF-8 not honoured: what the system runs under
  CHECK(LegacyCodePageRule(65001, 1251) == 1251);  // honoured: the locale's
  CHECK(LegacyCodePageRule(65001, 0) == 1252);     // a locale without one
  struct { bool named; int charSet; unsigned legacy, page; } rows[] = {
      {true, 204, 1252, 1251}, {true, 0x180, 1252, 932},  // the low byte counts
      {true, 0, 1251, 1252},   {false, 0, 1251, 1251},    // Western named; none named: the system's
      {true, 2, 1253, 1253},   {true, 1, 1250, 1250},     // sets without a code page of their own
  };
  for (auto& r : rows) CHECK(PackageCodePageRule(r.named, r.charSet, r.legacy) == r.page);
  CHECK(TextCodePageRule("\xEF\xBB\xBF[General]", 12, 1251) == 65001);
  CHECK(TextCodePageRule("\xC3\xBC", 2, 1251) == 1251);  // UTF-8 without the mark is the package's
  for (unsigned page : {874u, 932u, 936u, 949u, 950u, 1250u, 1251u, 1252u, 1253u, 1257u, 1361u})
    CHECK(CodePageForCharset(CharsetForCodePage(page)) == page);
}
