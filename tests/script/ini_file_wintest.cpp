// Setup-script values are read exactly as the platform's profile functions
// read them: packages in the field rely on it.
#include <doctest/doctest.h>

#include <windows.h>

#include <string>
#include <utility>

#include "base/message_box.h"
#include "script/defaults.h"
#include "script/ini_file.h"
#include "script/reg_ini_file.h"
#include "script/script_errors.h"
#include "script/setup_script.h"
#include "script/texts.h"
#include "test_files.h"

namespace {
std::string g_lastMessage;
unsigned g_lastFlags;
int Record(void*, const char* text, const char* caption, unsigned flags) {
  g_lastMessage = std::string(caption) + "|" + text;
  g_lastFlags = flags;
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

TEST_CASE("indexed reads give what the platform's profile functions give") {
  // Scripts with the shapes a package may hold; every name asked for, in
  // several spellings, must read the same through the index as through the
  // platform itself.
  const char* scripts[] = {
      "; a comment\r\n[General]\r\nCaption =  Demo Setup  \r\nQuoted=\"  kept blanks  \"\r\n"
      "Half=\"open\r\nSingle='one'\r\nMixed=\"two'\r\nEmpty=\r\n;Hidden=1\r\nNoEquals\r\n[ other ]\r\nX=1\r\n",
      "Before=1\r\n[Files]\r\n1=a.txt\r\n2=b.txt\r\n1=second one\r\n 3 = c.txt \r\n[files]\r\n4=d.txt\r\n"
      "[Files]\r\n5=e.txt\r\n[]\r\n6=f\r\n",
      "\xEF\xBB\xBF[Options]\nOption1_Text=First\nOPTION1_text=shadowed\n\t[Tabbed]\t\nK=\tv\t\n[Dup]\nA\nA=later\n",
      "[S]\r\n=no name\r\nkey with blanks = v \r\n[T] trailing\r\nY=2\r\n[U]]\r\nZ=3\r\n",
      // The same shapes without the unusual ones, so the index answers them.
      "; a comment\r\n[General]\r\nCaption =  Demo Setup  \r\nQuoted=\"  kept blanks  \"\r\n"
      "Half=\"open\r\nSingle='one'\r\nMixed=\"two'\r\nEmpty=\r\n;Hidden=1\r\nNoEquals\r\n[other]\r\nX=1\r\n",
      "[Files]\r\n1=a.txt\r\n2=b.txt\r\n1=second one\r\n 3 = c.txt \r\n[files]\r\n4=d.txt\r\n"
      "[Files]\r\n5=e.txt\r\n[T] trailing\r\nY=2\r\n[U]]\r\nZ=3\r\nkey with blanks = v \r\n",
  };
  const char* sections[] = {"General", "general", " other ", "other", "Files", "files", "Options", "Tabbed",
                            "Dup", "S", "T", "[T] trailing", "U]", "U", "", "Missing"};
  const char* keys[] = {"Caption", "CAPTION", "Quoted", "Half", "Single", "Mixed", "Empty", "Hidden", "NoEquals",
                        "X", "Before", "1", "2", "3", " 3 ", "4", "5", "6", "Option1_Text", "K", "A", "",
                        "key with blanks", "Y", "Z", "none"};
  for (const char* text : scripts) {
    std::string path = NewScratchFolder("inicmp") + "kestin.ini";
    REQUIRE(WriteTextFile(path, text));
    TIniFile ini(path.c_str());
    for (const char* section : sections) {
      for (const char* key : keys) {
        char platform[2048];
        GetPrivateProfileStringA(section, key, "(default)", platform, sizeof platform, path.c_str());
        std::string where = std::string(text) + " | [" + section + "] " + key;
        CAPTURE(where);
        CHECK(std::string(ini.ReadString(section, key, "(default)").c_str()) == platform);
      }
    }
  }
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

TEST_CASE("writes land in the file; a failed write is returned, shown only by the caller") {
  std::string path = NewScratchFolder("iniwrite") + "Uninst.log";
  TIniFile log(path.c_str());
  TError error;
  CHECK(log.WriteString("Files", "1", "C:\\x.txt", &error));
  CHECK(log.WriteInteger("Files", "Count", -3, &error));
  CHECK(log.WriteBool("Files", "Done", true, &error));
  CHECK_FALSE(error.Failed());
  CHECK(log.ReadString("Files", "1", "") == "C:\\x.txt");
  CHECK(log.ReadInteger("Files", "Count", 0) == -3);
  CHECK(log.ReadBool("Files", "Done", false));

  MessageHook = Record;
  g_lastMessage.clear();
  TIniFile bad("Z:\\no\\such\\folder\\Uninst.log");
  CHECK_FALSE(bad.WriteString("Files", "1", "x", &error));
  CHECK(g_lastMessage.empty());  // the library shows nothing itself
  CHECK(error.Code == kIniWriteFailed);
  CHECK(error.SystemError != 0);
  CHECK(error.Subject == "Z:\\no\\such\\folder\\Uninst.log");
  ShowScriptError(nullptr, error, TScriptTexts());
  MessageHook = nullptr;
  CHECK(g_lastMessage == "Error|Ini file write error. File name: Z:\\no\\such\\folder\\Uninst.log");
  CHECK(g_lastFlags == MB_OK);
}

TEST_CASE("a missing earlier installation is shown in the script's words under its Error caption") {
  TScriptTexts texts;
  texts.Set(TxtError, "Fehler");
  TError error;
  error.Set(kErrorScript, kEarlierInstallMissing, 0, "Install the base product first.");
  MessageHook = Record;
  ShowScriptError(nullptr, error, texts);
  MessageHook = nullptr;
  CHECK(g_lastMessage == "Fehler|Install the base product first.");
  CHECK(g_lastFlags == MB_ICONERROR);
}

TEST_CASE("registry values: any length read whole; a write without a section is an error") {
  const char* key = "Software\\KestinTest\\RegIni";
  TRegIniFile reg("HKEY_CURRENT_USER");
  reg.CreateSection(key);
  REQUIRE(reg.Section() == key);
  TError error;
  std::string big(5000, 'r');
  REQUIRE(reg.WriteString("Big", big.c_str(), &error));
  CHECK(reg.ReadString("Big", "d") == big.c_str());
  CHECK(reg.ReadString("Missing", "d") == "d");

  TRegIniFile none("HKEY_CURRENT_USER");
  none.OpenSection("Software\\KestinTest\\NoSuchKey");
  CHECK(none.Section().empty());
  CHECK(none.ReadString("Big", "d") == "d");
  CHECK_FALSE(none.WriteString("Big", "x", &error));
  CHECK(error.Code == kRegIniWriteFailed);
  RegDeleteKeyA(HKEY_CURRENT_USER, key);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KestinTest");
}

TEST_CASE("CharSet: every non-zero low byte is taken, 1 included; a low byte of 0 names none") {
  for (auto [value, expected] : {std::pair<const char*, int>{"1", 1}, {"204", 204}, {"0x1CC", 204},
                                 {"256", 0}, {"0", 0}, {"", 0}}) {
    CAPTURE(value);
    std::string path = NewScratchFolder("charset") + "kestin.ini";
    REQUIRE(WriteTextFile(path, std::string("[General]\r\nCharSet=") + value + "\r\n"));
    CHECK(TSetupScript(path.c_str()).CharSet() == expected);
  }
}
