#include <doctest/doctest.h>

#include "script/defaults.h"
#include "script/ini_file.h"
#include "script/reg_ini_file.h"
#include "script/script_errors.h"

TEST_CASE("each failure of the script layer has its message; other layers' failures have none, whatever their number") {
  TError e;
  e.Set(kErrorScript, kIniWriteFailed, 5, "C:\\Apps\\Demo\\Uninst.log");
  CHECK(ScriptErrorText(e) == "Ini file write error. File name: C:\\Apps\\Demo\\Uninst.log");
  e.Set(kErrorScript, kEarlierInstallMissing, 0, "Install the base product first.");
  CHECK(ScriptErrorText(e) == "Install the base product first.");
  e.Set(kErrorScript, kRegIniWriteFailed, 5, "SOFTWARE\\Demo\\Path");
  CHECK(ScriptErrorText(e) == "Registry write error. Value: SOFTWARE\\Demo\\Path");
  e.Set(kErrorLog, kIniWriteFailed, 5, "x");
  CHECK(ScriptErrorText(e).empty());
  CHECK(ScriptErrorText(TError()).empty());
}
