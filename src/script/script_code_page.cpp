#include "script/script_code_page.h"

#include "base/code_pages.h"
#include "script/ini_text.h"
#include "base/profile_values.h"

unsigned ScriptPackageCodePage(const TStr& script, unsigned legacyCodePage) {
  TStr charSet;
  int line;
  // The value is ASCII in every code page a script may be written in.
  IniFind(script.c_str(), script.size(), "General", "CharSet", &charSet, &line);
  // A text that is no number gives the fallback, whichever it is.
  int value = ProfileInteger(charSet, 0);
  return PackageCodePageRule(value == ProfileInteger(charSet, 1), value, legacyCodePage);
}
