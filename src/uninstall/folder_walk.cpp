#include "uninstall/folder_walk.h"

static TStr WithoutBackslash(const TStr& folder) {
  size_t n = folder.size();
  while (n > 0 && folder[n - 1] == '\\') n--;
  return folder.substr(0, n);
}

bool SameFolder(const TStr& a, const TStr& b) {
  return SameTextAscii(WithoutBackslash(a).c_str(), WithoutBackslash(b).c_str());
}

bool IsBelowFolder(const TStr& path, const TStr& folder) {
  TStr base = WithoutBackslash(folder);
  if (base.empty() || path.size() <= base.size() + 1 || path[base.size()] != '\\') return false;
  return SameTextAscii(path.substr(0, base.size()).c_str(), base.c_str());
}

void TFolderSet::Add(const TStr& folder) {
  if (!WithoutBackslash(folder).empty()) folders_.Add(folder);
}

bool TFolderSet::Contains(const TStr& folder) const {
  for (int i = 0; i < folders_.Count(); i++)
    if (SameFolder(folders_[i], folder)) return true;
  return false;
}

bool TFolderSet::HoldsBelow(const TStr& path) const {
  for (int i = 0; i < folders_.Count(); i++)
    if (IsBelowFolder(path, folders_[i])) return true;
  return false;
}

bool HasDotStep(const TStr& path) {
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); i++) {
    if (i < path.size() && path[i] != '\\' && path[i] != '/') continue;
    bool onlyDots = i > start;
    for (size_t k = start; k < i; k++)
      if (path[k] != '.' && path[k] != ' ') onlyDots = false;
    if (onlyDots) return true;
    start = i + 1;
  }
  return false;
}

bool IsWalkTop(const TStr& folder) {
  TStr f = WithoutBackslash(folder);
  if (f.size() <= 1) return true;
  if (f[0] == '\\' && f[1] == '\\') {
    // \\?\ and \\.\ reach devices and raw volumes; a share is its own root.
    if (f.size() > 2 && (f[2] == '?' || f[2] == '.')) return true;
    size_t slashes = 0;
    for (size_t i = 2; i < f.size(); i++)
      if (f[i] == '\\') slashes++;
    if (slashes < 2) return true;
  } else if (f.size() < 3 || f[1] != ':' || f[2] != '\\') {
    // A drive letter, or a path that is not absolute: nothing to climb into.
    return true;
  }
  // A "." or ".." step (or one the system would shorten to nothing) names a
  // folder other than the text says: the protected-folder test could miss it.
  return HasDotStep(f);
}

int RemoveEmptyFolders(const TStr& folder, TFolderOps& ops, const TFolderSet& keep) {
  int removed = 0;
  TStr current = WithoutBackslash(folder);
  while (!IsWalkTop(current) && !keep.Contains(current)) {
    if (ops.FolderExists(current)) {
      if (!ops.RemoveEmptyFolder(current)) break;
      removed++;
    }
    size_t cut = current.find_last_of("\\");
    if (cut == TStr::npos) break;
    current = current.substr(0, cut);
  }
  return removed;
}
