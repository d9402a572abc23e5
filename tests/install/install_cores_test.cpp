#include <doctest/doctest.h>

#include "install/placeholders.h"
#include "install/progress.h"
#include "install/uninstall_entry.h"
#include "install/work_lists.h"
#include "script_values_text.h"
#include "uninstall/registration_command.h"

static TStr Joined(const TStrList& list) {
  TStr out;
  for (int i = 0; i < list.Count(); ++i) out += Concat(list[i], ";");
  return out;
}

TEST_CASE("work lists: selected options in order, duplicates kept, lists end at a gap") {
  TScriptText script(
      "[Options]\nOption1_List=A\nOption1_Reg=R\nOption2_List=B\nOption2_Sys=S\nOption3_List=A\n"
      "Option3_Sys=S\n"
      "[A]\n1=a1\n2=a2\n4=after-gap\n[B]\n1=b1\n[S]\n1=s1\n[R]\n1=r1\n");
  TInstallChoices c;
  c.ComponentCount = 3;
  c.ComponentChecks[0] = true;
  c.ComponentChecks[1] = false;
  c.ComponentChecks[2] = true;
  // 6 GB and 3 GB: the total must not wrap at 32 bits.
  c.ComponentSizes[0] = 6LL << 30;
  c.ComponentSizes[1] = 400;
  c.ComponentSizes[2] = 3LL << 30;
  TWorkLists w;
  BuildWorkLists(script, c, w);
  CHECK(Joined(w.Installed) == "a1;a2;a1;a2;");
  CHECK(Joined(w.System) == "s1;");
  CHECK(Joined(w.Registration) == "r1;");
  CHECK(w.TotalBytes == (9LL << 30));

  TWorkLists none;
  c.ComponentChecks[0] = c.ComponentChecks[2] = false;
  BuildWorkLists(script, c, none);
  CHECK(none.Installed.Count() == 0);
  CHECK(none.TotalBytes == 0);
}

TEST_CASE("progress: rounding, 64-bit sizes and an empty total") {
  CHECK(ProgressPercent(600, 0, 1000) == 60);
  CHECK(ProgressPercent(600, 200, 1000) == 80);
  CHECK(ProgressPercent(0, 5, 1000) == 0);    // 0.5 rounds to even 0
  CHECK(ProgressPercent(0, 15, 1000) == 2);   // 1.5 rounds to even 2
  CHECK(ProgressPercent(0, 16, 1000) == 2);
  CHECK(ProgressPercent(0, 0, 0) == 100);     // nothing to do is done
  CHECK(ProgressPercent(900, 300, 1000) == 100);  // more than measured stays at 100
  long long six = 6LL << 30;
  CHECK(ProgressPercent(2LL << 30, 1LL << 30, six) == 50);

  TProgressCounter p;
  p.TotalBytes = 1000;
  CHECK(p.Advance(300, 600) == 30);
  CHECK(p.DoneBytes == 0);
  CHECK(p.Advance(600, 600) == 60);
  CHECK(p.Advance(200, 400) == 80);
  CHECK(p.DoneBytes == 600);
}

TEST_CASE("placeholders: each replaced at its first occurrence, exact case") {
  TPlaceholderValues v{"C:\\WINDOWS", "C:\\Apps\\Demo", "Uninst.log"};
  CHECK(ExpandPlaceholders("%Windows%\\notepad.exe", v) == "C:\\WINDOWS\\notepad.exe");
  CHECK(ExpandPlaceholders("%InstallPath%\\a %InstallPath%", v) == "C:\\Apps\\Demo\\a %InstallPath%");
  CHECK(ExpandPlaceholders("%windows%\\x", v) == "%windows%\\x");
  CHECK(ExpandPlaceholders("%InstallPath%\\%UninstallLog%", v) == "C:\\Apps\\Demo\\Uninst.log");
  CHECK(ResolveScriptPath("demo.exe", v) == "C:\\Apps\\Demo\\demo.exe");
  v.InstallPath = "C:\\Apps\\Demo\\";
  CHECK(ResolveScriptPath("demo.exe", v) == "C:\\Apps\\Demo\\demo.exe");
  CHECK(ExpandInstallPath("\"%InstallPath%demo.exe\" \"%1\"", v.InstallPath) ==
        "\"C:\\Apps\\Demo\\demo.exe\" \"%1\"");
}

TEST_CASE("shortcut values: arguments, icons, working folder") {
  TStr target, args, file;
  SplitTargetArguments("C:\\Apps\\Demo\\demo.exe /min /x", &target, &args);
  CHECK(target == "C:\\Apps\\Demo\\demo.exe");
  CHECK(args == "/min /x");
  SplitTargetArguments("C:/Apps/demo.exe", &target, &args);  // a '/' inside the path
  CHECK(target == "C:/Apps/demo.exe");
  CHECK(args == "");

  int index = -1;
  SplitIconReference("C:\\D\\demo.exe, 2", &file, &index);
  CHECK(file == "C:\\D\\demo.exe");
  CHECK(index == 2);
  SplitIconReference("C:\\D\\demo.exe,$10", &file, &index);
  CHECK(index == 16);
  SplitIconReference("C:\\D\\demo.exe, two", &file, &index);
  CHECK(index == 0);
  SplitIconReference("C:\\D\\demo.ico", &file, &index);
  CHECK(file == "C:\\D\\demo.ico");
  CHECK(index == 0);

  CHECK(WorkingFolderOf("C:\\Apps\\Demo\\demo.exe") == "C:\\Apps\\Demo");
  CHECK(WorkingFolderOf("C:\\demo.exe") == "C:\\");
}

TEST_CASE("commands: uninstall entry and registration tool") {
  CHECK(UninstallCommandLine("C:\\WINDOWS\\Uninst.kvl", "C:\\Apps\\Demo\\Uninst.log") ==
        "\"C:\\WINDOWS\\Uninst.kvl\" /U \"C:\\Apps\\Demo\\Uninst.log\"");
  CHECK(RegistrationCommand("C:\\WINDOWS\\SYSTEM", "demo.ocx", false) ==
        "\"C:\\WINDOWS\\SYSTEM\\regsvr32.exe\" /c /s \"C:\\WINDOWS\\SYSTEM\\demo.ocx\"");
  CHECK(RegistrationCommand("C:\\WINDOWS\\SYSTEM\\", "demo.ocx", true) ==
        "\"C:\\WINDOWS\\SYSTEM\\regsvr32.exe\" /u /c /s \"C:\\WINDOWS\\SYSTEM\\demo.ocx\"");
}
