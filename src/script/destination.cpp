#include "script/destination.h"

// Where the text after a leading quoted program starts (0 without one).
static size_t AfterQuotedProgram(const TStr& s) {
  if (s.empty() || s[0] != '"') return 0;
  size_t close = s.find("\"", 1);
  return close == TStr::npos ? s.size() : close + 1;
}

TStr UninstallerOfCommand(const TStr& s) {
  size_t after = AfterQuotedProgram(s);
  if (after) return s.substr(1, after - 2 + (s[after - 1] != '"'));
  return s.substr(0, s.find(" /U "));
}

TStr LogFromUninstallString(const TStr& s) {
  TStr quoted = s;
  size_t from = AfterQuotedProgram(s);
  size_t open = s.find("\"", from);
  if (open == TStr::npos && from) open = 0;
  if (open != TStr::npos) quoted = s.substr(open + 1);
  size_t close = quoted.find("\"");
  return close == TStr::npos ? TStr() : quoted.substr(0, close);
}

TStr FolderFromUninstallString(const TStr& s) {
  TStr quoted = LogFromUninstallString(s);
  size_t slash = quoted.find_last_of("\\");
  if (slash == TStr::npos) return TStr();
  if (slash > 0 && quoted[slash - 1] == ':') return quoted.substr(0, slash + 1);
  return quoted.substr(0, slash);
}

bool IsAbsoluteDefaultPath(const TStr& d) { return d.size() >= 2 && d[1] == ':'; }
