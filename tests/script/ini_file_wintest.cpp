// Setup-script values are read exactly as the platform's profile functions
// read them: packages in the field rely on it.
#include <doctest/doctest.h>

#include <windows.h>

#include <string>

#include "base/message_box.h"
#include "script/ini_file.h"
#include "test_files.h"

namespace {
std::string g_lastMessage;
int Record(void*, const char* text, const char* caption, unsigned) {
  g_lastMessage = std::string(caption) + "|" + text;
  return IDOK;
}
TIniFile ScriptWith(const std::string& text) {
  std::string path = NewScratchFolder("ini") + "kestin.ini";
  REQUIRE(WriteTextFile(path, text));
  return TIniFile(path.c_str());
}
}  // namespace

TEST_CASE("strings: letter case, blanks, quotes, comments and missing keys as the platform reads them") {
  TIniFile ini = ScriptWith(
      "; a comment\r\n[General]\r\nCaption =  Demo Setup  \r\nQuoted=\"  kept blanks  \"\r\n"
      "Half=\"open\r\nEmpty=\r\n;Hidden=1\r\n[ other ]\r\nX=1\r\n");
  CHECK(ini.ReadString("general", "CAPTION", "d") == "Demo Setup");
  CHECK(ini.ReadString("General", "Quoted", "d") == "  kept blanks  ");
  CHECK(ini.ReadString("General", "Empty", "d") == "");
  CHECK(ini.ReadString("General", "Hidden", "d") == "d");
  CHECK(ini.ReadString("General", "Nothing", "d") == "d");
  CHECK(ini.ReadString("other", "X", "d") == "1");
  CHECK(ini.ReadString("Missing", "X", "") == "");
}

TEST_CASE("a missing file gives every default") {
  TIniFile ini("Z:\\no\\such\\folder\\kestin.ini");
  CHECK(ini.ReadString("General", "Caption", "Kestin") == "Kestin");
  CHECK(ini.ReadInteger("General", "CharSet", 5) == 5);
  CHECK(ini.ReadBool("General", "X", true));
}

TEST_CASE("a value longer than 2047 characters is cut to 2047") {
  TIniFile ini = ScriptWith("[S]\r\nLong=" + std::string(3000, 'v') + "\r\n");
  CHECK(ini.ReadString("S", "Long", "").size() == 2047);
}

TEST_CASE("integers and booleans follow the integer rule") {
  TIniFile ini = ScriptWith("[S]\r\nA=0x1F\r\nB=$1F\r\nC=x1F\r\nD=0x\r\nE=12abc\r\nF=0\r\nG=2\r\n");
  CHECK(ini.ReadInteger("S", "A", -1) == 31);
  CHECK(ini.ReadInteger("S", "B", -1) == 31);
  CHECK(ini.ReadInteger("S", "C", -1) == 31);
  CHECK(ini.ReadInteger("S", "D", -1) == -1);
  CHECK(ini.ReadInteger("S", "E", -1) == -1);
  CHECK_FALSE(ini.ReadBool("S", "F", true));
  CHECK(ini.ReadBool("S", "G", false));
  CHECK(ini.ReadBool("S", "None", true));
}

TEST_CASE("writes land in the file; a failed write says so and carries on") {
  std::string path = NewScratchFolder("iniwrite") + "Uninst.log";
  TIniFile log(path.c_str());
  CHECK(log.WriteString("Files", "1", "C:\\x.txt"));
  CHECK(log.WriteInteger("Files", "Count", -3));
  CHECK(log.WriteBool("Files", "Done", true));
  CHECK(log.ReadString("Files", "1", "") == "C:\\x.txt");
  CHECK(log.ReadInteger("Files", "Count", 0) == -3);
  CHECK(log.ReadBool("Files", "Done", false));

  MessageHook = Record;
  TIniFile bad("Z:\\no\\such\\folder\\Uninst.log");
  CHECK_FALSE(bad.WriteString("Files", "1", "x"));
  MessageHook = nullptr;
  CHECK(g_lastMessage == "Error|Ini file write error. File name: Z:\\no\\such\\folder\\Uninst.log");
}
