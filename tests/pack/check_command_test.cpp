// kestin-pack check: every script mistake found with its line, every tree
// problem in one run, exit codes that tell errors from warnings.
#include <doctest/doctest.h>

#include "pack_test_support.h"
#include "source_tree.h"

using namespace packtest;

namespace {

// A product whose script is `script`, with the files a valid list names.
std::string Product(const std::string& dir, const std::string& script) {
  WriteFile(dir + "KESTIN/kestin.ini", script);
  WriteFile(dir + "bin/app.exe", "app");
  WriteFile(dir + "readme.txt", "read me");
  return dir;
}

const char kGood[] =
    "[General]\r\n"
    "Caption=Demo\r\n"
    "CharSet=204\r\n"
    "[Options]\r\n"
    "Option1_Text=Main\r\n"
    "Option1_List=Files\r\n"
    "[Files]\r\n"
    "1=bin\\app.exe\r\n"
    "2=readme.txt\r\n";

struct TBroken {
  const char* what;
  const char* script;
  const char* finding;  // expected text after the script's path
};

const TBroken kBroken[] = {
    {"misspelt section", "[General]\nCaption=x\n[Optoins]\nOption1_Text=a\n",
     ":3: error: [Optoins]: unknown section; did you mean [Options]?"},
    {"misspelt key", "[General]\nCaption=x\n[Options]\nOption1_Text=a\nOption1_Enabeld=1\n",
     ":5: error: [Options] Option1_Enabeld: unknown key; did you mean Option1_Enabled?"},
    {"option beyond five", "[General]\nCaption=x\n[Options]\nOption1_Text=a\nOption7_List=Files\n[Files]\n1=readme.txt\n",
     ":5: error: [Options] Option7_List: option numbers run from 1 to 5"},
    {"list naming a missing section", "[General]\nCaption=x\n[Options]\nOption1_Text=a\nOption1_List=Fils\n",
     ":5: error: [Options] Option1_List: names the section [Fils], which the script does not have"},
    {"listed file not in the folder", "[General]\n[Options]\nOption1_Text=a\nOption1_List=F\n[F]\n1=readme.txt\n2=bin\\gone.dll\n",
     ":7: error: [F] 2: \"bin\\gone.dll\" is not in the source folder"},
    {"forward slash in a stored name", "[General]\n[Options]\nOption1_Text=a\nOption1_List=F\n[F]\n1=bin/app.exe\n",
     ":6: error: [F] 1: \"bin/app.exe\": stored names use '\\' between folders; write bin\\app.exe"},
    {"CharSet that is no number", "[General]\nCaption=x\nCharSet=abc\n",
     ":3: error: [General] CharSet: \"abc\" is not a number"},
    {"unknown CharSet", "[General]\nCaption=x\nCharSet=205\n",
     ":3: error: [General] CharSet: unknown character set 205"},
    {"number with trailing letters", "[Options]\nOption1_Text=a\nOption1_Enabled=1x\n",
     ":3: error: [Options] Option1_Enabled: \"1x\" is not a number"},
    {"colour that is no number", "[General]\nUpperColor=blue\n",
     ":2: error: [General] UpperColor: \"blue\" is not a number; the background would be painted black"},
    {"leading zero", "[Options]\nOption01_Text=a\n",
     ":2: error: [Options] Option01_Text: never read: the setup program writes numbers without leading zeros (Option1_Text)"},
    {"key in the wrong section", "[General]\nCaption=x\n[Install]\nProgramName=Demo\n",
     ":4: error: [Install] ProgramName: unknown key; it belongs in [General]"},
    {"empty script", "", ": error: the script holds no settings"},
    {"comments only", "; nothing here\n\n", ": error: the script holds no settings"},
    {"section no option names", "[General]\nCaption=x\n[Extras]\n1=readme.txt\n",
     ":3: error: [Extras]: unknown section: no option's _List, _Sys or _Reg names it"},
    // Warnings: read differently from what the author meant.
    {"gap in a list", "[Options]\nOption1_Text=a\nOption1_List=F\n[F]\n1=readme.txt\n3=bin\\app.exe\n",
     ":6: warning: [F] 3: never read: the list stops at 2, which is missing or empty"},
    {"option after a gap", "[Options]\nOption1_Text=a\nOption3_Text=c\n",
     ":3: warning: [Options] Option3_Text: never read: the list stops at Option2_Text"},
    {"second section of a name", "[General]\nCaption=x\n[general]\nBack=<\n",
     ":3: warning: [general]: the section appears again (first at line 1)"},
    {"repeated key", "[General]\nCaption=x\ncaption=y\n",
     ":3: warning: [General] caption: repeats line 2; the setup program reads only the first"},
    {"line without '='", "[General]\nCaption=x\nBack\n",
     ":3: warning: [General] Back: the line has no '='"},
    {"text before any section", "Caption=x\n[General]\nBack=<\n",
     ":1: warning: \"Caption\" stands before any [Section]"},
    {"no options", "[General]\nCaption=x\n",
     ": warning: [Options] Option1_Text: missing or empty, so setup offers no option"},
};

}  // namespace

TEST_CASE("each broken script is reported with its line, and check fails on errors") {
  std::string dir = NewScratchFolder("check");
  for (const TBroken& b : kBroken) {
    CAPTURE(b.what);
    std::string product = Product(dir + std::to_string(&b - kBroken) + "/", b.script);
    TRun r = RunTool("check " + Quote(product));
    INFO(r.err);
    CHECK(r.err.find(product + "KESTIN/kestin.ini" + b.finding) != std::string::npos);
    bool error = std::string(b.finding).find(": error: ") != std::string::npos;
    CHECK(r.rc == (error ? 1 : 3));
  }
}

TEST_CASE("a sound script passes; warnings alone exit 3, and 1 with --werror") {
  std::string dir = NewScratchFolder("checkok");
  std::string product = Product(dir + "p/", kGood);
  TRun r = RunTool("check " + Quote(product));
  CHECK(r.err == "");
  CHECK(r.out.find("no problems found") != std::string::npos);
  CHECK(r.rc == 0);

  WriteFile(product + "notes.txt", "not listed");
  r = RunTool("check " + Quote(product));
  CHECK(r.err.find(product + "notes.txt: warning: no file list of the setup script installs \"notes.txt\"") !=
        std::string::npos);
  CHECK(r.rc == 3);
  CHECK(RunTool("check --werror " + Quote(product)).rc == 1);
  CHECK(RunTool("check --exclude notes.txt " + Quote(product)).rc == 0);

  // build goes on with warnings, and stops on them with --werror.
  TStubFiles stub = WriteStubFiles(dir);
  CHECK(RunTool("build " + Quote(product) + " -o " + Quote(dir + "a.exe") + " " + StubArgs(stub)).rc == 0);
  TRun w = RunTool("build --werror " + Quote(product) + " -o " + Quote(dir + "b.exe") + " " + StubArgs(stub));
  CHECK(w.rc == 1);
  CHECK(w.err.find("no package written") != std::string::npos);
  CHECK_FALSE(fs::exists(dir + "b.exe"));
}

TEST_CASE("every tree problem is reported in one run, and --exclude leaves files out") {
  std::string dir = NewScratchFolder("checktree");
  std::string product = Product(dir + "p/", kGood);
  WriteFile(product + "a:b.txt", "colon");
  WriteFile(product + "CON.txt", "device");
  WriteFile(product + "Readme.TXT", "case twin");
  WriteFile(product + "notes.txt~", "backup");
  WriteFile(product + ".git/config", "vcs");
  WriteFile(product + ".git/HEAD", "vcs");
  WriteFile(product + ".DS_Store", "finder");
  fs::create_directories(product + "empty");
  fs::create_symlink(product + "readme.txt", product + "link.txt");
  TRun r = RunTool("check " + Quote(product));
  INFO(r.err);
  CHECK(r.rc == 1);
  CHECK(r.err.find(product + "a:b.txt: error: cannot be packed: Windows does not allow ':'") != std::string::npos);
  CHECK(r.err.find(product + "CON.txt: error: cannot be packed: Windows reserves the name CON") != std::string::npos);
  CHECK(r.err.find("only in letter case") != std::string::npos);
  CHECK(r.err.find(product + "notes.txt~: warning: a backup or editor file") != std::string::npos);
  CHECK(r.err.find(product + ".git: warning: version-control data") != std::string::npos);
  CHECK(r.err.find(".git/config") == std::string::npos);  // the folder is reported once
  CHECK(r.err.find(product + ".DS_Store: warning:") != std::string::npos);
  CHECK(r.err.find(product + "empty: warning: an empty folder") != std::string::npos);
  CHECK(r.err.find(product + "link.txt: warning: a symbolic link") != std::string::npos);

  // Patterns ignore letter case, as Windows does, so a case twin is removed.
  fs::remove(product + "Readme.TXT");
  r = RunTool("check " + Quote(product) + " --exclude 'a:*' --exclude=CON.txt"
              " --exclude '*~' --exclude .git --exclude .DS_Store --exclude empty --exclude link.txt");
  INFO(r.err);
  CHECK(r.err == "");
  CHECK(r.rc == 0);
}

TEST_CASE("--exclude patterns: names at any depth, paths from the source folder") {
  CHECK(Source_Excluded("*.bak", "docs/old/a.BAK"));
  CHECK(Source_Excluded("old", "docs/old"));
  CHECK_FALSE(Source_Excluded("old", "docs/older"));
  CHECK(Source_Excluded("docs/*.txt", "docs/a.txt"));
  CHECK_FALSE(Source_Excluded("docs/*.txt", "docs/sub/a.txt"));
  CHECK(Source_Excluded("docs/**.txt", "docs/sub/a.txt"));
  CHECK(Source_Excluded("/docs/", "docs"));
  CHECK(Source_Excluded("a?c", "abc"));
  CHECK_FALSE(Source_Excluded("a?c", "a/c"));
}

TEST_CASE("the demo product checks clean: every key it uses is one the setup program reads") {
  TRun r = RunTool("check " + Quote(std::string(KESTIN_SOURCE_DIR) + "/examples/demo"));
  INFO(r.err);
  CHECK(r.rc == 0);
  CHECK(r.err == "");
}
