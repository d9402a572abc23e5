#include "script/script_code_page.h"

#include "base/code_pages.h"
#include "script/ini_text.h"
#include "script/profile_values.h"

unsigned ScriptPackageCodePage(const TStr& script, unsigned legacyCodePage) {
  TStr charSet;
  int line;
  // The value is ASCII in every code page a script may be written in.
  IniFind(script.c_str(), script.size(), "General", "CharSet", &charSet, &line);
  return PackageCodePageRule(ProfileInteger(charSet, 0), legacyCodePage);
}
