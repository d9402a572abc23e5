#include <doctest/doctest.h>

#include <string>

#include "app/cmdline.h"
#include "app/run_mode.h"

static std::string Arg(const char* line, int i) { return CommandLineArgument(line, i).c_str(); }

TEST_CASE("arguments are split at blanks outside quotes") {
  const char* line = "setup.exe  /U \"C:\\Program Files\\App\\Uninst.log\"\textra";
  CHECK(Arg(line, 1) == "/U");
  CHECK(Arg(line, 2) == "C:\\Program Files\\App\\Uninst.log");
  CHECK(Arg(line, 3) == "extra");
  CHECK(Arg(line, 4) == "");
  CHECK(Arg(line, 99) == "");
}

TEST_CASE("the program name is skipped, quoted or not") {
  CHECK(Arg("\"C:\\My Setup\\setup.exe\" /D", 1) == "/D");
  CHECK(Arg("C:\\setup.exe /D", 1) == "/D");
  CHECK(Arg("\"C:\\My Setup\\setup.exe\"", 1) == "");
}

TEST_CASE("quotes may stand inside an argument and run to the end of the line") {
  CHECK(Arg("p a\"b c\"d e", 1) == "ab cd");
  CHECK(Arg("p a\"b c\"d e", 2) == "e");
  CHECK(Arg("p \"unclosed quote to the end", 1) == "unclosed quote to the end");
}

TEST_CASE("a lone pair of quotes before an argument is ignored") {
  CHECK(Arg("setup.exe \"\" /U \"C:\\a b\\Uninst.log\"", 1) == "/U");
  CHECK(Arg("setup.exe \"\" /U \"C:\\a b\\Uninst.log\"", 2) == "C:\\a b\\Uninst.log");
  CHECK(Arg("setup.exe \"\"\"\" x", 1) == "x");
}

TEST_CASE("control characters separate arguments like blanks") {
  CHECK(Arg("p\x01" "a\x1f" "b", 1) == "a");
  CHECK(Arg("p\x01" "a\x1f" "b", 2) == "b");
  CHECK(Arg("p a\x7f" "b", 1) == "a\x7f" "b");  // 127 is not a separator
}

TEST_CASE("empty and missing command lines give empty arguments") {
  CHECK(Arg("", 1) == "");
  CHECK(Arg("setup.exe", 1) == "");
  CHECK(Arg("setup.exe    ", 1) == "");
  CHECK(CommandLineArgument(nullptr, 1).empty());
  CHECK(CommandLineArgument("p a", 0).empty());  // argument 0 is the module path, not the line
}

TEST_CASE("an argument longer than the bound is cut and does not spill into the next") {
  std::string longUnquoted(kMaxArgumentLength + 100, 'x');
  std::string line = "p " + longUnquoted + " next";
  CHECK(Arg(line.c_str(), 1) == std::string(kMaxArgumentLength, 'x'));
  CHECK(Arg(line.c_str(), 2) == "next");

  std::string longQuoted = "\"" + std::string(kMaxArgumentLength + 5, 'y') + " z\"";
  line = "p " + longQuoted + " after";
  CHECK(Arg(line.c_str(), 1) == std::string(kMaxArgumentLength, 'y'));
  CHECK(Arg(line.c_str(), 2) == "after");

  std::string exact(kMaxArgumentLength, 'k');
  line = "p " + exact;
  CHECK(Arg(line.c_str(), 1) == exact);
}

TEST_CASE("run mode: /D before /U, substring match, ASCII case-insensitive") {
  CHECK(ChooseRunMode("") == RunInstall);
  CHECK(ChooseRunMode("/U") == RunUninstall);
  CHECK(ChooseRunMode("/u") == RunUninstall);
  CHECK(ChooseRunMode("/D") == RunRemovalHelper);
  CHECK(ChooseRunMode("/d") == RunRemovalHelper);
  CHECK(ChooseRunMode("x/Dy") == RunRemovalHelper);
  CHECK(ChooseRunMode("/UD") == RunUninstall);  // "/D" is not a substring of "/UD"
  CHECK(ChooseRunMode("/DU") == RunRemovalHelper);
  CHECK(ChooseRunMode("-u") == RunInstall);
  CHECK(ChooseRunMode("\\U") == RunInstall);
  CHECK(ChooseRunMode("/ U") == RunInstall);
}
