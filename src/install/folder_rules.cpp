#include "install/folder_rules.h"

#include "base/path_root.h"

#include <string.h>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Names separated by '\' or '/' from `from` on; each must be a usable name.
// `allowEmpty` accepts an empty remainder.
bool NamesUsable(const TStr& text, size_t from, bool allowEmpty) {
  size_t n = text.size();
  // One trailing separator is allowed ("C:\Program Files\Product\").
  if (n > from && IsSeparator(text[n - 1])) n--;
  if (n <= from) return allowEmpty;
  size_t start = from;
  for (size_t i = from; i <= n; i++) {
    if (i < n && !IsSeparator(text[i])) {
      unsigned char c = (unsigned char)text[i];
      if (c < 32 || strchr("<>:\"|?*", c)) return false;
      continue;
    }
    if (i == start) return false;  // empty part
    // A part of dots and blanks only would name the folder itself or above.
    bool dotsOnly = true;
    for (size_t k = start; k < i; k++)
      if (text[k] != '.' && text[k] != ' ') dotsOnly = false;
    if (dotsOnly) return false;
    start = i + 1;
  }
  return true;
}

}  // namespace

bool IsFullFolderPath(const TStr& folder) {
  size_t root = PathRootLength(folder);
  return root > 0 && NamesUsable(folder, root, false);
}

TStr DestinationRoot(const TStr& folder) {
  size_t root = PathRootLength(folder);
  if (!root) return TStr();
  TStr r = folder.substr(0, root);
  TStr out;
  for (size_t i = 0; i < r.size(); i++) out += IsSeparator(r[i]) ? '\\' : r[i];
  return WithBackslash(out);
}

bool IsAcceptableGroupName(const TStr& group) {
  if (group.empty()) return true;
  if (IsSeparator(group[0])) return false;
  return NamesUsable(group, 0, false);
}
