// UTF-8 script and texts go into the package in the code page CharSet
// selects; a text the page cannot hold stays UTF-8, marked, and text already
// in the code page passes unchanged.
#include <doctest/doctest.h>

#include "pack_test_support.h"
#include "text_encoding.h"

using namespace packtest;

namespace {

std::string Script(const std::string& charSet, const std::string& caption) {
  return "[General]\r\nCharSet=" + charSet + "\r\nCaption=" + caption + "\r\n";
}

struct TPacked {
  TRun run;
  std::string script, welcome;  // as stored in the package
  std::string product;          // a product file with the welcome text's bytes
};

TPacked Pack(const std::string& dir, const std::string& script, const std::string& welcome) {
  TStubFiles stub = WriteStubFiles(dir);
  WriteFile(dir + "p/KESTIN/kestin.ini", script);
  WriteFile(dir + "p/KESTIN/welcome.txt", welcome);
  WriteFile(dir + "p/docs/u.txt", welcome);
  TPacked p;
  p.run = RunTool("build " + Quote(dir + "p") + " -o " + Quote(dir + "s.exe") + " " + StubArgs(stub));
  if (p.run.rc != 0) return p;
  REQUIRE(RunTool("extract " + Quote(dir + "s.exe") + " " + Quote(dir + "x")).rc == 0);
  p.script = ReadText(dir + "x/KESTIN/kestin.ini");
  p.welcome = ReadText(dir + "x/KESTIN/welcome.txt");
  p.product = ReadText(dir + "x/docs/u.txt");
  return p;
}

}  // namespace

TEST_CASE("UTF-8 texts come out in the code page of their CharSet") {
  struct {
    const char* charSet;
    const char* utf8;
    const char* expected;
  } cases[] = {
      {"0", "Über uns \xE2\x80\x93 Read Me", "\xDC" "ber uns \x96 Read Me"},
      {"238", "\xC5\x81\xC3\xB3\x64\xC5\xBA", "\xA3\xF3\x64\x9F"},                   // Łódź
      {"204", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "\xCF\xF0\xE8\xE2\xE5\xF2"},  // Привет
      {"128", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "\x93\xFA\x96\x7B\x8C\xEA"},  // 日本語
  };
  for (auto& c : cases) {
    CAPTURE(c.charSet);
    std::string dir = NewScratchFolder("enc");
    TPacked p = Pack(dir, "\xEF\xBB\xBF" + Script(c.charSet, c.utf8), std::string(c.utf8) + "\n");
    INFO(p.run.err);
    REQUIRE(p.run.rc == 0);
    CHECK(p.script == Script(c.charSet, c.expected));  // the byte-order mark dropped too
    CHECK(p.welcome == std::string(c.expected) + "\n");
    CHECK(p.product == std::string(c.utf8) + "\n");  // product files are never touched
  }
}

TEST_CASE("a text the code page cannot hold stays UTF-8 with a byte-order mark; the others are converted") {
  std::string dir = NewScratchFolder("encutf");
  const std::string name = "Gr\xC3\xB6\xC3\x9F" "e \xE6\x95\xB0\xE6\x8D\xAE.txt";  // Größe 数据.txt
  WriteFile(dir + "p/" + name, "data\n");
  std::string script = "[General]\r\nCaption=Gr\xC3\xBC\xC3\x9F" "e\r\n[Options]\r\nOption1_Text=x\r\n"
                       "Option1_List=Files\r\n[Files]\r\n1=" + name + "\r\n2=docs\\u.txt\r\n";
  WriteFile(dir + "p/KESTIN/whatsnew.txt", "Gr\xC3\xBC\xC3\x9F" "e\n");
  TPacked p = Pack(dir, script, "\xEF\xBB\xBF" "line two \xE2\x82\xAC\xE6\x97\xA5\n");  // €日
  INFO(p.run.err);
  REQUIRE(p.run.rc == 0);
  CHECK(p.script == "\xEF\xBB\xBF" + script);  // the mark added
  CHECK(p.welcome == "\xEF\xBB\xBF" "line two \xE2\x82\xAC\xE6\x97\xA5\n");
  CHECK(ReadText(dir + "x/KESTIN/whatsnew.txt") == "Gr\xFC\xDF" "e\n");  // fits 1252
  CHECK(ReadText(dir + "x/" + name) == "data\n");
}

TEST_CASE("text already in the code page, or plain ASCII, passes unchanged") {
  std::string dir = NewScratchFolder("encsame");
  std::string ansi = Script("0", "\xDC" "ber uns \x96 Read Me");  // not valid UTF-8
  TPacked p = Pack(dir, ansi, "plain\n");
  REQUIRE(p.run.rc == 0);
  CHECK(p.script == ansi);
  CHECK(p.welcome == "plain\n");
  CHECK(Text_Detect(std::vector<uint8_t>{'a', 0xC3, 0xBC}) == kTextUtf8);
  CHECK(Text_Detect(std::vector<uint8_t>{'a', 0xC0, 0x80}) == kTextOther);  // overlong
  CHECK(Text_Detect(std::vector<uint8_t>{0xED, 0xA0, 0x80}) == kTextOther);  // surrogate
  CHECK(Text_Detect(std::vector<uint8_t>{'a', 'b'}) == kTextAscii);
}

