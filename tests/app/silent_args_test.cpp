// The unattended mode's arguments: what selects it, what each NAME=value
// gives, and every refusal, with the reason a deployment script's author
// reads in the log.
#include <doctest/doctest.h>

#include <initializer_list>
#include <string>

#include "app/cmdline.h"
#include "app/run_log.h"
#include "app/run_mode.h"
#include "app/silent_args.h"
#include "install/uninstall_entry.h"
#include "script/destination.h"

namespace {

TStrList List(std::initializer_list<const char*> args) {
  TStrList l;
  for (const char* a : args) l.Add(a);
  return l;
}

std::string Refusal(std::initializer_list<const char*> args) {
  TSilentArgs a;
  if (ParseSilentArgs(List(args), &a)) return "accepted";
  return a.Error.c_str();
}

}  // namespace

TEST_CASE("only an exact /S selects the unattended install; /D and /U are tested first") {
  CHECK(ChooseRunMode("/S") == RunUnattended);
  CHECK(ChooseRunMode("/s") == RunUnattended);
  CHECK(ChooseRunMode("/?") == RunSwitchList);
  // Anything longer keeps the meaning it always had.
  CHECK(ChooseRunMode("/SILENT") == RunInstall);
  CHECK(ChooseRunMode("x/S") == RunInstall);
  CHECK(ChooseRunMode("/S/U") == RunUninstall);
  CHECK(ChooseRunMode("/S/D") == RunRemovalHelper);
  CHECK(ChooseRunMode("D:/Data") == RunRemovalHelper);
  CHECK(ChooseRunMode("") == RunInstall);
}

TEST_CASE("a quoted DIR with blanks arrives as one argument and is taken whole") {
  const char* line = "setup.exe /S DIR=\"C:\\Program Files\\Acme\" COMPONENTS=1,3 LOG=C:\\install.log";
  TStrList args;
  for (int i = 2; !CommandLineArgument(line, i).empty(); i++) args.Add(CommandLineArgument(line, i));
  TSilentArgs a;
  REQUIRE(ParseSilentArgs(args, &a));
  CHECK(a.HasDir);
  CHECK(std::string(a.Dir.c_str()) == "C:\\Program Files\\Acme");
  CHECK(a.HasComponents);
  CHECK(a.Components[0]);
  CHECK_FALSE(a.Components[1]);
  CHECK(a.Components[2]);
  CHECK(std::string(a.LogPath.c_str()) == "C:\\install.log");
  CHECK_FALSE(a.HasGroup);
  CHECK_FALSE(a.NoShortcuts);
}

TEST_CASE("every name is taken in any letter case, values as given") {
  TSilentArgs a;
  REQUIRE(ParseSilentArgs(List({"group=Tools\\Acme", "User=Ada Lovelace", "COMPANY=", "noshortcuts", "NoAssoc"}), &a));
  CHECK(std::string(a.Group.c_str()) == "Tools\\Acme");
  CHECK(std::string(a.User.c_str()) == "Ada Lovelace");
  CHECK(a.HasCompany);
  CHECK(a.Company.empty());
  CHECK(a.NoShortcuts);
  CHECK(a.NoAssoc);
  CHECK_FALSE(a.HasDir);
  // No arguments at all: every answer is the wizard's default.
  TSilentArgs none;
  CHECK(ParseSilentArgs(TStrList(), &none));
  CHECK_FALSE(none.HasComponents);
  // An empty COMPONENTS selects none.
  TSilentArgs empty;
  REQUIRE(ParseSilentArgs(List({"COMPONENTS="}), &empty));
  CHECK(empty.HasComponents);
  for (bool c : empty.Components) CHECK_FALSE(c);
}

TEST_CASE("refusals name what is wrong") {
  CHECK(Refusal({"DIR=Acme"}).find("DIR must be a full folder path") == 0);
  CHECK(Refusal({"DIR=\\Acme"}).find("DIR must be") == 0);
  CHECK(Refusal({"DIR=C:Acme"}).find("DIR must be") == 0);
  CHECK(Refusal({"DIR=C:\\"}).find("DIR must be") == 0);  // a bare root
  CHECK(Refusal({"DIR=C:\\Apps\\..\\Windows"}).find("DIR must be") == 0);
  CHECK(Refusal({"DIR=\\\\server\\share"}).find("DIR must be") == 0);
  CHECK(Refusal({"DIR=\\\\server\\share\\Acme"}) == "accepted");
  // As in the wizard, '/' is taken for '\' (the run is handed backslashes).
  CHECK(Refusal({"DIR=D:/Data/Acme"}) == "accepted");
  CHECK(Refusal({"DIR=D:\\Data/Acme"}) == "accepted");
  CHECK(Refusal({"DIR"}) == "DIR needs a value: DIR=...");
  CHECK(Refusal({"DIR=C:\\A", "DIR=C:\\B"}) == "DIR is given twice");
  CHECK(Refusal({"TARGET=C:\\A"}) == "Unknown argument: TARGET=C:\\A");
  CHECK(Refusal({"/D"}) == "Unknown argument: /D");
  CHECK(Refusal({"NOASSOC=1"}) == "NOASSOC takes no value");
  CHECK(Refusal({"GROUP=..\\Startup"}).find("GROUP must be") == 0);
  CHECK(Refusal({"GROUP=C:\\Menu"}).find("GROUP must be") == 0);
  CHECK(Refusal({"LOG=install.log"}).find("LOG must be the full path of a file") == 0);
}

TEST_CASE("COMPONENTS takes option numbers 1 to 5 separated by commas") {
  CHECK(Refusal({"COMPONENTS=5,1"}) == "accepted");
  CHECK(Refusal({"COMPONENTS=0"}) == "COMPONENTS names option 0; options are numbered 1 to 5");
  CHECK(Refusal({"COMPONENTS=6"}) == "COMPONENTS names option 6; options are numbered 1 to 5");
  CHECK(Refusal({"COMPONENTS=99999999999"}).find("COMPONENTS names option 99999999999") == 0);
  CHECK(Refusal({"COMPONENTS=1,"}).find("COMPONENTS must be option numbers") == 0);
  CHECK(Refusal({"COMPONENTS=,1"}).find("COMPONENTS must be option numbers") == 0);
  CHECK(Refusal({"COMPONENTS=1;3"}).find("COMPONENTS must be option numbers") == 0);
  CHECK(Refusal({"COMPONENTS=1 3"}).find("COMPONENTS must be option numbers") == 0);
}

TEST_CASE("LOG is taken even when another argument is refused, so the refusal can be logged") {
  TSilentArgs a;
  CHECK_FALSE(ParseSilentArgs(List({"BOGUS", "LOG=C:\\logs\\setup.log"}), &a));
  CHECK(std::string(a.LogPath.c_str()) == "C:\\logs\\setup.log");
  CHECK(std::string(a.Error.c_str()) == "Unknown argument: BOGUS");
}

TEST_CASE("the unattended uninstall takes LOG= only") {
  TSilentArgs a;
  CHECK(ParseSilentUninstallArgs(List({"log=C:\\u.log"}), &a));
  CHECK(std::string(a.LogPath.c_str()) == "C:\\u.log");
  TSilentArgs b;
  CHECK_FALSE(ParseSilentUninstallArgs(List({"DIR=C:\\x"}), &b));
  CHECK(std::string(b.Error.c_str()).find("only LOG= is taken") != std::string::npos);
}

TEST_CASE("log lines stay one line each, failures carry the system's text and number") {
  CHECK(std::string(RunLogLine("file written", "C:\\App\\a.exe").c_str()) == "file written: C:\\App\\a.exe");
  // A name with a line break cannot forge a line of its own.
  CHECK(std::string(RunLogLine("file written", "a\r\nFAILED x").c_str()) == "file written: a  FAILED x");
  CHECK(std::string(RunLogFailureLine("key set", "HKEY_CLASSES_ROOT\\.x", 5, "Access is denied.\r\n").c_str()) ==
        "FAILED key set: HKEY_CLASSES_ROOT\\.x: Access is denied. (5)");
  CHECK(std::string(RunLogFailureLine("refused", "Unknown argument: X", 0, "").c_str()) ==
        "FAILED refused: Unknown argument: X");
}

TEST_CASE("the uninstall commands quote both paths; the uninstaller, FindPath and a repair read both forms back") {
  struct { const char *uninstaller, *log, *command; bool ours; const char* folder; } rows[] = {
      {"C:\\W\\Uninst.kvl", "C:\\Apps\\Demo\\Uninst.log", "\"C:\\W\\Uninst.kvl\" /U \"C:\\Apps\\Demo\\Uninst.log\"", true,
       "C:\\Apps\\Demo"},
      {"C:\\W\\Acme Uninst.kvl", "C:\\Program Files\\A\\U.log", "\"C:\\W\\Acme Uninst.kvl\" /U \"C:\\Program Files\\A\\U.log\"",
       true, "C:\\Program Files\\A"},
      {"C:\\W\\Uninst.kvl", "C:\\Uninst.log", "C:\\W\\Uninst.kvl /U \"C:\\Uninst.log\"", false, "C:\\"},  // an earlier version's
  };
  for (auto& r : rows) {
    CAPTURE(r.command);
    std::string quiet = std::string(r.command) + " /S";
    if (r.ours) CHECK(UninstallCommandLine(r.uninstaller, r.log) == r.command);
    if (r.ours) CHECK(QuietUninstallCommandLine(r.uninstaller, r.log) == quiet.c_str());
    CHECK(UninstallerOfCommand(r.command) == r.uninstaller);
    CHECK(FolderFromUninstallString(r.command) == r.folder);
    CHECK(LogFromUninstallString(r.command) == r.log);
    CHECK(CommandLineArgument(quiet.c_str(), 2) == r.log);  // split as the uninstaller splits it
    CHECK(IsSilentSwitch(CommandLineArgument(quiet.c_str(), 3)));
  }
  CHECK(FolderFromUninstallString("\"C:\\Other\\unins000.exe\"") == "C:\\Other");  // another program's entry
}
