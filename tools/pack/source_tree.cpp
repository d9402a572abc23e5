#include "source_tree.h"

#include <algorithm>

#include "name_rules.h"
#include "uncab/fdi_types.h"

const char kSetupScriptName[] = "KESTIN\\kestin.ini";

namespace {

struct TWalk {
  const TCollectOptions& options;
  TSourceTree* tree;
  TFindings* findings;
  std::vector<std::string> ancestors;  // identities of the folders being walked
};

bool EndsWith(const std::string& s, const char* tail) {
  std::string t = tail;
  return s.size() >= t.size() && Stored_Upper(s.substr(s.size() - t.size())) == Stored_Upper(t);
}

// Why a name looks like something a publisher would not ship, or "".
std::string NoiseReason(const std::string& name, uint16_t attribs) {
  static const char* const kVcs[] = {".git", ".svn", ".hg", ".bzr", "CVS", ".gitignore",
                                     ".gitattributes", ".gitmodules", ".hgignore", ".hgtags"};
  for (const char* v : kVcs)
    if (name == v) return "version-control data";
  if (name == ".DS_Store" || Stored_Upper(name) == "THUMBS.DB") return "a file the system keeps about the folder";
  if (name.back() == '~' || EndsWith(name, ".bak") || EndsWith(name, ".swp") || EndsWith(name, ".orig") ||
      name.compare(0, 2, ".#") == 0)
    return "a backup or editor file";
  if (name[0] == '.' || (attribs & kDosHidden)) return "a hidden file";
  return "";
}

// Glob match: '*' and '?' stay within a name, "**" crosses folders.
bool Glob(const char* p, const char* s) {
  for (; *p; p++, s++) {
    if (*p == '*') {
      bool deep = p[1] == '*';
      while (*p == '*') p++;
      for (const char* t = s;; t++) {
        if (Glob(p, t)) return true;
        if (!*t || (!deep && *t == '/')) return false;
      }
    }
    if (!*s) return false;
    if (*p == '?') {
      if (*s == '/') return false;
      continue;
    }
    char a = *p, b = *s;
    if (a >= 'a' && a <= 'z') a = char(a - 32);
    if (b >= 'a' && b <= 'z') b = char(b - 32);
    if (a != b) return false;
  }
  return *s == 0;
}

bool Excluded(const TCollectOptions& o, const std::string& storedName) {
  std::string rel = storedName;
  std::replace(rel.begin(), rel.end(), '\\', '/');
  for (const std::string& pattern : o.excludes)
    if (Source_Excluded(pattern, rel)) return true;
  return false;
}

void FlagTree(TWalk& w, const std::string& storedPrefix) {
  // Files under a flagged folder were warned about with it.
  w.tree->flagged.insert(Stored_Upper(storedPrefix));
}

bool UnderFlagged(const TWalk& w, const std::string& stored) {
  std::string upper = Stored_Upper(stored);
  for (const std::string& f : w.tree->flagged)
    if (upper == f || (upper.size() > f.size() && upper.compare(0, f.size(), f) == 0 && upper[f.size()] == '\\'))
      return true;
  return false;
}

void Walk(TWalk& w, const std::string& folder, const std::string& storedPrefix) {
  std::vector<std::string> names;
  std::string why;
  if (!Fs_ListFolder(folder, &names, &why)) {
    w.findings->Error(folder, "cannot read the folder (" + why + "); check its permissions");
    return;
  }
  std::sort(names.begin(), names.end());
  size_t kept = 0;
  for (const std::string& name : names) {
    std::string path = Fs_Join(folder, name);
    std::string stored = storedPrefix + name;
    if (Excluded(w.options, stored)) continue;
    kept++;
    std::string invalid = Stored_InvalidComponentReason(name);
    if (!invalid.empty()) {
      w.findings->Error(path, "cannot be packed: " + invalid + "; rename it or leave it out with --exclude");
      continue;
    }
    TFileFacts facts;
    if (!Fs_Facts(path, &facts, &why)) {
      w.findings->Error(path, "cannot be read (" + why + "); fix it or leave it out with --exclude");
      continue;
    }
    std::string noise = NoiseReason(name, facts.dosAttribs);
    bool quiet = UnderFlagged(w, stored);
    if (!noise.empty() && !quiet) {
      w.findings->Warning(path, noise + "; it is packed all the same: delete it or leave it out with --exclude '" +
                                    name + "'");
      FlagTree(w, stored);
    } else if (facts.isLink && !quiet) {
      w.findings->Warning(path, facts.isFolder
                                    ? "a symbolic link to a folder; its files are packed as copies"
                                    : "a symbolic link; the package holds a copy of the file it points to");
      FlagTree(w, stored);
    }
    if (facts.isFolder) {
      if (std::find(w.ancestors.begin(), w.ancestors.end(), facts.identity) != w.ancestors.end()) {
        w.findings->Error(path, "a link leads back into a folder that contains it; remove the link or leave it out with --exclude");
        continue;
      }
      w.ancestors.push_back(facts.identity);
      Walk(w, path, stored + "\\");
      w.ancestors.pop_back();
      continue;
    }
    if (!facts.isRegular) {
      w.findings->Error(path, "cannot be packed: it is not a regular file (a device, pipe or socket); leave it out with --exclude");
      continue;
    }
    if (std::find(w.options.skip.begin(), w.options.skip.end(), facts.identity) != w.options.skip.end()) continue;
    std::string unsafe = Stored_UnsafeReason(stored);
    if (!unsafe.empty()) {
      w.findings->Error(path, "cannot be packed as \"" + stored + "\": " + unsafe + "; rename it");
      continue;
    }
    TCabInput in;
    in.storedName = stored;
    in.sourcePath = path;
    in.size = facts.size;
    in.date = facts.dosDate;
    in.time = facts.dosTime;
    if (w.options.clampTimes)
      Source_DosTimeUtc(std::min(facts.mtime, w.options.clampTime), &in.date, &in.time);
    in.attribs = facts.dosAttribs;
    // Non-ASCII names from a UTF-8 system are marked as such; readers would
    // take them for the ANSI code page otherwise.
    if (Fs_NamesAreUtf8())
      for (char c : stored)
        if ((unsigned char)c >= 0x80) in.attribs |= kCabAttribUtf8Name;
    w.tree->files.push_back(in);
  }
  // A cabinet holds files only: an empty folder does not reach the user.
  if (kept == 0 && !storedPrefix.empty() && !UnderFlagged(w, storedPrefix.substr(0, storedPrefix.size() - 1)))
    w.findings->Warning(folder, "an empty folder; a package holds files only, so it is left out");
}

}  // namespace

void Source_DosTimeUtc(int64_t t, uint16_t* date, uint16_t* time) {
  const int64_t kFirst = 315532800;  // 1980-01-01
  if (t < kFirst) t = kFirst;
  int64_t days = t / 86400, seconds = t % 86400;
  // Civil date from days since 1970 (proleptic Gregorian calendar).
  int64_t z = days + 719468, era = z / 146097, doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
  int64_t day = doy - (153 * mp + 2) / 5 + 1, month = mp < 10 ? mp + 3 : mp - 9;
  int64_t year = yoe + era * 400 + (month <= 2);
  if (year > 2107) {
    *date = uint16_t((127 << 9) | (12 << 5) | 31);
    *time = uint16_t((23 << 11) | (59 << 5) | 29);
    return;
  }
  *date = uint16_t(((year - 1980) << 9) | (month << 5) | day);
  *time = uint16_t((seconds / 3600) << 11 | ((seconds / 60) % 60) << 5 | (seconds % 60) / 2);
}

bool Source_Excluded(const std::string& pattern, const std::string& relativePath) {
  std::string p = pattern;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  if (p.find('/') != std::string::npos) {
    while (!p.empty() && p[0] == '/') p.erase(0, 1);
    return Glob(p.c_str(), relativePath.c_str());
  }
  std::string name = relativePath.substr(relativePath.rfind('/') + 1);
  return Glob(p.c_str(), name.c_str());
}

bool Source_Collect(const std::string& root, const TCollectOptions& options, TSourceTree* tree,
                    TFindings* findings) {
  *tree = TSourceTree();
  size_t errorsBefore = findings->Count(kError);
  TFileFacts facts;
  std::string why;
  if (!Fs_Facts(root, &facts, &why)) {
    findings->Error(root, "cannot open the source folder (" + why + ")");
    return false;
  }
  if (!facts.isFolder) {
    findings->Error(root, "is not a folder; give the folder that holds your product and KESTIN/kestin.ini");
    return false;
  }
  TWalk w{options, tree, findings, {facts.identity}};
  Walk(w, root, "");

  std::vector<TCabInput>& files = tree->files;
  std::vector<std::string> upper(files.size());
  for (size_t i = 0; i < files.size(); i++) upper[i] = Stored_Upper(files[i].storedName);
  std::vector<size_t> order(files.size());
  for (size_t i = 0; i < order.size(); i++) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    if (upper[a] != upper[b]) return upper[a] < upper[b];
    return files[a].storedName < files[b].storedName;
  });
  std::vector<TCabInput> sorted;
  sorted.reserve(files.size());
  for (size_t i : order) sorted.push_back(files[i]);
  files.swap(sorted);

  // Windows folds letter case: one of the two would overwrite the other on
  // the user's disk, and the setup program could only ever find the first.
  for (size_t i = 1; i < files.size(); i++) {
    if (Stored_Upper(files[i].storedName) == Stored_Upper(files[i - 1].storedName))
      findings->Error(files[i].sourcePath, "differs from " + files[i - 1].sourcePath +
                                               " only in letter case; Windows cannot hold both, so rename one");
  }
  std::string script = Stored_Upper(kSetupScriptName);
  bool hasScript = std::any_of(files.begin(), files.end(), [&](const TCabInput& f) {
    return Stored_Upper(f.storedName) == script;
  });
  if (!hasScript)
    findings->Error(Fs_Join(Fs_Join(root, "KESTIN"), "kestin.ini"),
                    "missing; every package needs its setup script there (see the publisher's guide)");
  return findings->Count(kError) == errorsBefore;
}
