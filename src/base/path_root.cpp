#include "base/path_root.h"

static bool IsSeparator(char c) { return c == '\\' || c == '/'; }
static bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

size_t PathRootLength(const TStr& path) {
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) return 3;
  if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return 0;
  size_t i = 2, names = 0;
  while (names < 2) {
    size_t start = i;
    while (i < path.size() && !IsSeparator(path[i])) i++;
    if (i == start) return 0;
    TStr name = path.substr(start, i - start);
    if (name == "?" || name == "." || name == "..") return 0;
    names++;
    if (i < path.size()) i++;
    else if (names < 2) return 0;
  }
  return i;
}
