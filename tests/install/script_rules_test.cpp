#include <doctest/doctest.h>

#include <string>

#include "install/script_rules.h"
#include "script_values_text.h"

// A sound script with three options, shortcuts in a program group of their
// own, a product key, an association and extra uninstall entries. Each case
// below adds or replaces one thing.
static const char kSound[] =
    "[Options]\nOption1_Text=Program\nOption1_List=Main\nOption1_Dsk=Desk\nOption1_Prg=Menu\n"
    "Option2_Text=Help\nOption2_List=Help\nOption3_Text=Control\nOption3_Sys=Ctl\nOption3_Reg=Ctl\n"
    "[Main]\n1=demo.exe\n2=data\\demo.dat\n[Help]\n1=demo.hlp\n[Ctl]\n1=democtl.ocx\n"
    "[Desk]\nName1=Demo\nFile1=demo.exe\n"
    "[Menu]\nName1=Demo\nFile1=demo.exe\nRmDir1=1\n"
    "[Shortcuts]\nGroup=Demo\n"
    "[Uninstall]\nSectionName=Demo\nLogName=Demo.log\nUninstallerName=DemoUn.kvl\n1=settings.ini\n"
    "[Registry]\nRoot=LM\nSection=Software\\Demo\n"
    "[RegisterExt]\nCaption1=Demo files\nExt1=.dmo\nType1=Demo.Document\nActionTitle1=Open with Demo\n";

// kSound with `extra` written after it (a later duplicate key wins in the
// test reader only when the original is absent, so cases use fresh keys or
// fresh sections).
static std::string With(const char* extra) { return std::string(extra) + "\n" + kSound; }

struct TRuleCase {
  const char* name;
  const char* extra;   // read before kSound, so its keys take precedence
  const char* section; // expected refusal
  const char* key;
};

TEST_CASE("script rule: the sound script is accepted; absent keys take their defaults") {
  TScriptText sound(kSound);
  CHECK(FindRefusedScriptValues(sound, nullptr, 0) == 0);
  TScriptText bare("[Options]\nOption1_Text=All\n");
  CHECK(FindRefusedScriptValues(bare, nullptr, 0) == 0);
}

TEST_CASE("script rule: each dangerous value is refused, with where it is") {
  const TRuleCase cases[] = {
      {"empty SectionName", "[Uninstall]\nSectionName=", "Uninstall", "SectionName"},
      {"SectionName with a path", "[Uninstall]\nSectionName=Other\\Sub", "Uninstall", "SectionName"},
      {"registry root itself", "[Registry]\nSection=", "Registry", "Section"},
      {"shared Software key", "[Registry]\nSection=\\Software\\", "Registry", "Section"},
      {"key below Microsoft's", "[Registry]\nSection=Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Registry",
       "Section"},
      {"system file in a subfolder", "[Ctl]\n2=drivers\\etc\\hosts", "Ctl", "2"},
      {"empty Type", "[RegisterExt]\nType1=", "RegisterExt", "Type1"},
      {"empty ActionTitle", "[RegisterExt]\nActionTitle1=", "RegisterExt", "ActionTitle1"},
      {"extension without dot", "[RegisterExt]\nExt1=dmo", "RegisterExt", "Ext1"},
      {"LogName with ..", "[Uninstall]\nLogName=..\\x.log", "Uninstall", "LogName"},
      {"UninstallerName absolute", "[Uninstall]\nUninstallerName=C:\\x.kvl", "Uninstall",
       "UninstallerName"},
      {"extra entry with ..", "[Uninstall]\n1=..\\..\\boot.ini", "Uninstall", "1"},
      {"extra entry rooted", "[Uninstall]\n1=\\autoexec.bat", "Uninstall", "1"},
      {"extra entry with drive", "[Uninstall]\n1=D:x.dat", "Uninstall", "1"},
      {"extra entry dots and blank", "[Uninstall]\n1=sub\\.. \\x", "Uninstall", "1"},
      {"Name with a folder", "[Desk]\nName1=..\\Demo", "Desk", "Name1"},
      {"Subgroup outside", "[Menu]\nSubgroup=..\\..", "Menu", "Subgroup"},
      {"Group outside", "[Shortcuts]\nGroup=C:\\Windows", "Shortcuts", "Group"},
      {"RmDir on the desktop itself", "[Desk]\nRmDir1=1", "Desk", "RmDir1"},
      {"RmDir in the programs folder itself", "[Shortcuts]\nGroup=", "Menu", "RmDir1"},
      {"installed file outside", "[Main]\n1=..\\demo.exe", "Main", "1"},
      {"sixth option", "[Options]\nOption4_Text=a\nOption5_Text=b\nOption6_Text=c", "Options",
       "Option6_Text"},
  };
  for (const TRuleCase& c : cases) {
    CAPTURE(c.name);
    std::string text = With(c.extra);
    TScriptText script(text.c_str());
    TScriptRefusal found[4];
    int n = FindRefusedScriptValues(script, found, 4);
    REQUIRE(n == 1);
    CHECK(found[0].Section == c.section);
    CHECK(found[0].Key == c.key);
    CHECK_FALSE(found[0].Reason.empty());
  }
}

TEST_CASE("script rule: RmDir is fine in a Subgroup, and 0 is fine anywhere") {
  TScriptText sub(With("[Desk]\nSubgroup=Demo Tools\nRmDir1=1").c_str());
  CHECK(FindRefusedScriptValues(sub, nullptr, 0) == 0);
  TScriptText zero(With("[Desk]\nRmDir1=0").c_str());
  CHECK(FindRefusedScriptValues(zero, nullptr, 0) == 0);
}

TEST_CASE("script rule: every refusal is counted, only `max` are filled") {
  TScriptText bad(With("[Uninstall]\nSectionName=\nLogName=a\\b\n[RegisterExt]\nType1=").c_str());
  TScriptRefusal one[1];
  CHECK(FindRefusedScriptValues(bad, one, 1) == 3);
  CHECK(one[0].Section == "Uninstall");
}

TEST_CASE("path rules: inside the folder or not") {
  CHECK(StaysInsideFolder("a\\b.txt"));
  CHECK(StaysInsideFolder("a/b.txt"));
  CHECK_FALSE(StaysInsideFolder(""));
  CHECK_FALSE(StaysInsideFolder("..."));
  CHECK_FALSE(StaysInsideFolder("a\\\\b"));
  CHECK_FALSE(StaysInsideFolder("\\\\server\\share\\x"));
  CHECK_FALSE(StaysInsideFolder("file.txt:stream"));
  CHECK_FALSE(StaysInsideFolder("NUL"));
  CHECK(IsPlainFileName("Uninst.log"));
  CHECK_FALSE(IsPlainFileName("sub\\Uninst.log"));
}
