#include <doctest/doctest.h>

#include "name_rules.h"
#include "package/stored_name.h"

TEST_CASE("unsafe stored names are refused with their reason, as the setup program refuses them") {
  struct { const char* name; const char* reason; } unsafe[] = {
      {"..\\evil", "out of the target folder ('..')"},
      {"a/../../evil", "out of the target folder"},
      {"a\\...\\b", "out of the target folder ('...')"},
      {"\\windows\\evil.dll", "absolute path"},
      {"/etc/passwd", "absolute path"},
      {"C:\\evil", "drive"},
      {"c:evil", "drive"},
      {"file.txt:stream", "drive or stream"},
      {"CON", "device CON"},
      {"sub\\nul.txt", "device NUL"},
      {"Com1.log", "device COM1"},
      {"lpt9", "device LPT9"},
      {"aux .txt", "device AUX"},
      {"a\\\\b", "empty folder name"},
      {"a\\", "empty folder name"},
      {"tab\there", "control character"},
      {"", "empty"},
  };
  for (auto& u : unsafe) {
    std::string name = u.name;
    CAPTURE(name);
    std::string reason = Stored_UnsafeReason(u.name);
    CHECK(reason.find(u.reason) != std::string::npos);
    CHECK_FALSE(IsSafeStoredName(u.name));
  }
  for (const char* ok : {"KESTIN\\kestin.ini", "a/b.txt", "console.txt", "COM10", "..a", "a..b\\c", ".hidden"}) {
    std::string name = ok;
    CAPTURE(name);
    CHECK(Stored_UnsafeReason(ok) == "");
    CHECK(IsSafeStoredName(ok));
  }
}

TEST_CASE("file names Windows could not create are not packed") {
  CHECK(Stored_InvalidComponentReason("readme.txt") == "");
  CHECK(Stored_InvalidComponentReason("a<b").find("'<'") != std::string::npos);
  CHECK(Stored_InvalidComponentReason("x|y").find("'|'") != std::string::npos);
  CHECK(Stored_InvalidComponentReason("end ").find("trailing") != std::string::npos);
  CHECK(Stored_InvalidComponentReason("PRN.txt").find("PRN") != std::string::npos);
  CHECK(Stored_InvalidComponentReason("bell\a").find("control") != std::string::npos);
}

TEST_CASE("stored names compare as the setup program compares them: case and separator alike") {
  CHECK(Stored_Upper("Docs/Guide.txt") == Stored_Upper("DOCS\\guide.TXT"));
  CHECK(Stored_Upper("a/b") == "A\\B");
}
