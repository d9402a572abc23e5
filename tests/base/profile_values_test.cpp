#include <doctest/doctest.h>

#include "script/destination.h"
#include "base/profile_values.h"
#include "script/texts.h"

TEST_CASE("integers: 0x1F, $1F and x1F all give 31") {
  CHECK(ProfileInteger("0x1F", -1) == 31);
  CHECK(ProfileInteger("0X1f", -1) == 31);
  CHECK(ProfileInteger("$1F", -1) == 31);
  CHECK(ProfileInteger("x1F", -1) == 31);
  CHECK(ProfileInteger("X1F", -1) == 31);
  CHECK(ProfileInteger("-$10", -1) == -16);
  CHECK(ProfileInteger("  42", -1) == 42);
  CHECK(ProfileInteger("+7", -1) == 7);
  CHECK(ProfileInteger("$FFFFFFFF", 0) == -1);
  CHECK(ProfileInteger("-2147483648", 0) == (int)0x80000000u);
}

TEST_CASE("integers: anything not consumed entirely gives the default") {
  CHECK(ProfileInteger("0x", 5) == 5);     // two characters: not rewritten
  CHECK(ProfileInteger("12abc", 5) == 5);
  CHECK(ProfileInteger("", 5) == 5);
  CHECK(ProfileInteger("42 ", 5) == 5);    // trailing blank is not consumed
  CHECK(ProfileInteger("$", 5) == 5);
  CHECK(ProfileInteger("-", 5) == 5);
  CHECK(ProfileInteger("2147483648", 5) == 5);
  CHECK(ProfileInteger("$100000000", 5) == 5);
  CHECK(ProfileInteger("1.5", 5) == 5);
}

TEST_CASE("colours: unconvertible text is black") {
  CHECK(ProfileColour("$02999900") == 0x02999900);
  CHECK(ProfileColour("not a colour") == 0);
  CHECK(ProfileColour("") == 0);
}

TEST_CASE("the 28 texts have their keys in reading order") {
  CHECK(kTextCount == 28);
  CHECK(TStr(TextKey(TxtBack)) == "Back");
  CHECK(TStr(TextKey(TxtSetupCompleted)) == "Setup_Completed");
  CHECK(TStr(TextKey(TxtRegNameExists)) == "Reg_NameExists");
  TScriptTexts texts;
  texts.Set(TxtError, "Fehler");
  CHECK(texts[TxtError] == "Fehler");
}

TEST_CASE("an earlier installation's folder comes from its quoted log path") {
  CHECK(FolderFromUninstallString("C:\\WINDOWS\\Uninst.kvl /U \"C:\\Apps\\Demo\\Uninst.log\"") ==
        "C:\\Apps\\Demo");
  CHECK(FolderFromUninstallString("C:\\WINDOWS\\Uninst.kvl /U \"C:\\Uninst.log\"") == "C:\\");
  CHECK(FolderFromUninstallString("C:\\WINDOWS\\Uninst.kvl /U C:\\Apps\\Uninst.log").empty());
  CHECK(FolderFromUninstallString("\"unterminated").empty());
  CHECK(FolderFromUninstallString("\"noslash\"").empty());
  CHECK(FolderFromUninstallString("").empty());
}

TEST_CASE("DefaultPath is absolute when its second character is a colon") {
  CHECK(IsAbsoluteDefaultPath("D:\\Other"));
  CHECK(IsAbsoluteDefaultPath("D:"));
  CHECK_FALSE(IsAbsoluteDefaultPath("Demo"));
  CHECK_FALSE(IsAbsoluteDefaultPath("\\Demo"));
  CHECK_FALSE(IsAbsoluteDefaultPath("D"));
}
