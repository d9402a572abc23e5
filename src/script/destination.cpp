#include "script/destination.h"

TStr FolderFromUninstallString(const TStr& s) {
  TStr quoted = s;
  size_t open = s.find("\"");
  if (open != TStr::npos) quoted = s.substr(open + 1);
  size_t close = quoted.find("\"");
  if (close == TStr::npos) return TStr();
  quoted = quoted.substr(0, close);
  size_t slash = quoted.find_last_of("\\");
  if (slash == TStr::npos) return TStr();
  if (slash > 0 && quoted[slash - 1] == ':') return quoted.substr(0, slash + 1);
  return quoted.substr(0, slash);
}

bool IsAbsoluteDefaultPath(const TStr& d) { return d.size() >= 2 && d[1] == ':'; }
