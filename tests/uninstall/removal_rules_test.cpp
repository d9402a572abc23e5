#include <doctest/doctest.h>

#include "uninstall/removal_rules.h"

TEST_CASE("the started marker replaces the copy's extension in its own folder") {
  struct { const char* copy; const char* marker; } cases[] = {
      {"C:\\Temp\\KVL1A.tmp", "C:\\Temp\\KVL1A.$$$"},
      {"C:\\Temp\\KVL1A", "C:\\Temp\\KVL1A.$$$"},            // no extension: appended
      {"C:\\Te.mp\\KVL1A", "C:\\Te.mp\\KVL1A.$$$"},          // a dot in a folder is no extension
      {"C:KVL1A.x.tmp", "C:KVL1A.x.$$$"},                   // only the last extension
      {"D:KVL", "D:KVL.$$$"},
  };
  for (auto& c : cases) CHECK(StartedMarkerPath(c.copy) == c.marker);
}

TEST_CASE("the helper's command line quotes each argument and keeps the message whole") {
  CHECK(HelperCommandLine("C:\\T\\KVL1.tmp", "C:\\WIN\\Uninst.kvl", "Demo has been removed.") ==
        "\"C:\\T\\KVL1.tmp\" /D \"C:\\WIN\\Uninst.kvl\" \"Demo has been removed.\"");
  // A double quote in the message would end it early and split the rest off.
  CHECK(HelperCommandLine("h", "f", "Say \"bye\"") == "\"h\" /D \"f\" \"Say 'bye'\"");
  CHECK(HelperCommandLine("h", "f", "") == "\"h\" /D \"f\" \"\"");
}
