// The index answers every lookup as IniFind does, over generated scripts
// with repeated sections and keys, blanks, quotes and lines without '='.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "script/ini_index.h"
#include "script/ini_text.h"

TEST_CASE("indexed lookups agree with IniFind") {
  uint32_t x = 99;
  auto next = [&]() { return (x = x * 1103515245u + 12345u) >> 16; };
  const char* names[] = {"1", "2", "10", "Caption", "caption", " Caption ", "Option1_List", "A", "a", ""};
  const char* sectionNames[] = {"Files", "files", " Files ", "General", "X", ""};
  for (int round = 0; round < 40; round++) {
    std::string text;
    int lines = 5 + next() % 60;
    for (int i = 0; i < lines; i++) {
      switch (next() % 7) {
        case 0: text += std::string("[") + sectionNames[next() % 6] + "]\r\n"; break;
        case 1: text += std::string(names[next() % 10]) + "\r\n"; break;           // no '='
        case 2: text += std::string("; ") + names[next() % 10] + "=c\r\n"; break;  // comment
        case 3: text += std::string(names[next() % 10]) + " = \"q" + std::to_string(i) + "\"\r\n"; break;
        default: text += std::string(names[next() % 10]) + "=v" + std::to_string(i) + "\r\n"; break;
      }
    }
    TIniIndex index{TStr(text.c_str())};
    TIniIndex copy = index;
    for (const char* section : sectionNames) {
      for (const char* key : names) {
        TStr expected, got, copied;
        int line;
        bool found = IniFind(text.c_str(), text.size(), section, key, &expected, &line);
        CAPTURE(text);
        CAPTURE(section);
        CAPTURE(key);
        CHECK(index.Find(section, key, &got) == found);
        CHECK(got == expected);
        CHECK(copy.Find(section, key, &copied) == found);
        CHECK(copied == expected);
      }
    }
  }
  TIniIndex empty;
  TStr value("x");
  CHECK_FALSE(empty.Find("General", "Caption", &value));
  CHECK(value.empty());
}

TEST_CASE("the index leaves to the platform what platforms may read differently") {
  auto answers = [](const char* text, const char* section = "S", const char* key = "K") {
    return TIniIndex(TStr(text)).Answers(section, key);
  };
  CHECK(answers("; comment\r\n[S]\r\nK=1\r\nNoValue\r\n[T]\r\nK=\"q\"\r\n"));
  CHECK_FALSE(answers("[ S ]\r\nK=1\r\n"));         // blanks inside the brackets
  CHECK_FALSE(answers("[]\r\nK=1\r\n"));            // a section without a name
  CHECK_FALSE(answers("K=1\r\n[S]\r\nK=2\r\n"));  // an entry before the first section
  CHECK_FALSE(answers("[S]\r\n=1\r\n"));            // an entry without a name
  CHECK_FALSE(answers("[S]\r\nK=1\r\n", "", "K"));  // empty names asked for
  CHECK_FALSE(answers("[S]\r\nK=1\r\n", "S", " "));
}
