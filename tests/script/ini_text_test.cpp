// The portable script reader gives what the platform's profile functions give.
#include <doctest/doctest.h>

#include <string>

#include "script/ini_text.h"
#include "script/script_code_page.h"

namespace {

struct TFound {
  bool found;
  std::string value;
  int line;
};

TFound Find(const std::string& text, const char* section, const char* key) {
  TStr v;
  int line = -1;
  bool found = IniFind(text.data(), text.size(), section, key, &v, &line);
  return {found, std::string(v.c_str(), v.size()), line};
}

}  // namespace

TEST_CASE("names: any letter case, blanks around them dropped, first section and first key win") {
  std::string ini =
      "[General]\r\n"
      "  caption  =  Hello World  \r\n"
      "Caption=second\r\n"
      "[GENERAL]\r\n"
      "Back=never read\r\n"
      "[Options]\r\n"
      "Option1_Text=Main\r\n";
  TFound f = Find(ini, "general", "CAPTION");
  CHECK(f.found);
  CHECK(f.value == "Hello World");
  CHECK(f.line == 2);
  CHECK(Find(ini, " General ", " Caption ").value == "Hello World");
  CHECK_FALSE(Find(ini, "General", "Back").found);  // only in the second [General]
  CHECK(Find(ini, "options", "option1_text").line == 7);
  CHECK_FALSE(Find(ini, "Options", "Option2_Text").found);
  CHECK_FALSE(Find(ini, "Missing", "Caption").found);
  CHECK_FALSE(Find(ini, "General", "").found);
}

TEST_CASE("values: one pair of enclosing quotes goes, a cut value keeps its opening part") {
  std::string ini =
      "[S]\n"
      "a=\"  kept blanks  \"\n"
      "b='single'\n"
      "c=\"unbalanced'\n"
      "d=\"\n"
      "e=\"\"\n"
      "f=say \"this\"\n"
      "g=\"" + std::string(3000, 'x') + "\"\n"
      "h=" + std::string(2047, 'y') + "z\n"
      "i=value ; not a comment\n";
  CHECK(Find(ini, "S", "a").value == "  kept blanks  ");
  CHECK(Find(ini, "S", "b").value == "single");
  CHECK(Find(ini, "S", "c").value == "\"unbalanced'");
  CHECK(Find(ini, "S", "d").value == "\"");
  CHECK(Find(ini, "S", "e").value == "");
  CHECK(Find(ini, "S", "e").found);
  CHECK(Find(ini, "S", "f").value == "say \"this\"");
  CHECK(Find(ini, "S", "g").value == std::string(2047, 'x'));
  CHECK(Find(ini, "S", "h").value == std::string(2047, 'y'));
  CHECK(Find(ini, "S", "i").value == "value ; not a comment");
}

TEST_CASE("lines: no '=' reads as missing, comments and text before any section are never found") {
  std::string ini =
      "Caption=before any section\n"
      "[General]\n"
      "; Caption=commented out\n"
      "Back\n"
      "Back=after a line without '='\n"
      "[Broken\n"
      "Next=still in [General]\n"
      "[ Spaced ]\n"
      "Key=1\n";
  CHECK_FALSE(Find(ini, "General", "Caption").found);
  CHECK_FALSE(Find(ini, "General", "Back").found);
  CHECK(Find(ini, "General", "Next").value == "still in [General]");
  CHECK(Find(ini, "General", "[Broken").found == false);  // an entry without a value
  // The name between the brackets is taken as written; a lookup trims only
  // the name asked for.
  CHECK_FALSE(Find(ini, "Spaced", "Key").found);
}

TEST_CASE("line walk: numbers, kinds and a byte-order mark") {
  std::string ini = "\xEF\xBB\xBF[A]\r\n\r\nk = v\r\nnovalue\r\n\x1A";
  TIniText text(ini.data(), ini.size());
  TIniLine l;
  REQUIRE(text.Next(&l));
  CHECK(l.Kind == kIniSection);
  CHECK(l.Number == 1);
  CHECK(l.Name == "A");
  REQUIRE(text.Next(&l));
  CHECK(l.Kind == kIniBlank);
  REQUIRE(text.Next(&l));
  CHECK(l.Kind == kIniEntry);
  CHECK(l.Number == 3);
  CHECK(l.Name == "k");
  CHECK(l.RawValue == "v");
  REQUIRE(text.Next(&l));
  CHECK(l.Kind == kIniNoValue);
  CHECK(l.Name == "novalue");
  REQUIRE(text.Next(&l));
  CHECK(l.Kind == kIniBlank);
  CHECK(l.Number == 5);
  CHECK_FALSE(text.Next(&l));
  CHECK(Find(ini, "a", "K").value == "v");
}

TEST_CASE("the package's code page comes from the script's own bytes") {
  CHECK(ScriptPackageCodePage("\xEF\xBB\xBF[general]\ncharset = \"0x80\"\n", 1250) == 932);
  CHECK(ScriptPackageCodePage("[Other]\nCharSet=204\n[General]\nCharSet=0\n", 1250) == 1252);
  CHECK(ScriptPackageCodePage("[General]\r\nCharSet=12abc\r\n", 1250) == 1250);  // no number: none named
}
