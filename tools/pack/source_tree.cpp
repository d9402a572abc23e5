#include "source_tree.h"

#include <algorithm>

#include "name_rules.h"
#include "uncab/fdi_types.h"

const char kSetupScriptName[] = "KESTIN\\kestin.ini";

namespace {

struct TWalk {
  const std::vector<std::string>& skip;
  std::vector<TCabInput>* files;
  std::vector<std::string> ancestors;  // identities of the folders being walked
};

bool Walk(TWalk& w, const std::string& folder, const std::string& storedPrefix, std::string* error) {
  std::vector<std::string> names;
  std::string why;
  if (!Fs_ListFolder(folder, &names, &why)) {
    *error = folder + ": cannot read the folder: " + why;
    return false;
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    std::string path = Fs_Join(folder, name);
    std::string invalid = Stored_InvalidComponentReason(name);
    if (!invalid.empty()) {
      *error = path + ": cannot be packed: " + invalid;
      return false;
    }
    TFileFacts facts;
    if (!Fs_Facts(path, &facts, &why)) {
      *error = path + ": " + why;
      return false;
    }
    std::string stored = storedPrefix + name;
    if (facts.isFolder) {
      if (std::find(w.ancestors.begin(), w.ancestors.end(), facts.identity) != w.ancestors.end()) {
        *error = path + ": a link leads back into a folder that contains it";
        return false;
      }
      w.ancestors.push_back(facts.identity);
      if (!Walk(w, path, stored + "\\", error)) return false;
      w.ancestors.pop_back();
      continue;
    }
    if (!facts.isRegular) {
      *error = path + ": cannot be packed: it is not a regular file";
      return false;
    }
    if (std::find(w.skip.begin(), w.skip.end(), facts.identity) != w.skip.end()) continue;
    std::string unsafe = Stored_UnsafeReason(stored);
    if (!unsafe.empty()) {
      *error = path + ": cannot be packed as \"" + stored + "\": " + unsafe;
      return false;
    }
    TCabInput in;
    in.storedName = stored;
    in.sourcePath = path;
    in.size = facts.size;
    in.date = facts.dosDate;
    in.time = facts.dosTime;
    in.attribs = facts.dosAttribs;
    // Non-ASCII names from a UTF-8 system are marked as such; readers would
    // take them for the ANSI code page otherwise.
    if (Fs_NamesAreUtf8())
      for (char c : stored)
        if ((unsigned char)c >= 0x80) in.attribs |= kCabAttribUtf8Name;
    w.files->push_back(in);
  }
  return true;
}

}  // namespace

bool Source_Collect(const std::string& root, const std::vector<std::string>& skip,
                    std::vector<TCabInput>* files, std::string* error) {
  files->clear();
  TFileFacts facts;
  std::string why;
  if (!Fs_Facts(root, &facts, &why)) {
    *error = root + ": " + why;
    return false;
  }
  if (!facts.isFolder) {
    *error = root + ": is not a folder";
    return false;
  }
  TWalk w{skip, files, {facts.identity}};
  if (!Walk(w, root, "", error)) return false;

  std::vector<std::string> upper(files->size());
  for (size_t i = 0; i < files->size(); i++) upper[i] = Stored_Upper((*files)[i].storedName);
  std::vector<size_t> order(files->size());
  for (size_t i = 0; i < order.size(); i++) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    if (upper[a] != upper[b]) return upper[a] < upper[b];
    return (*files)[a].storedName < (*files)[b].storedName;
  });
  std::vector<TCabInput> sorted;
  sorted.reserve(files->size());
  for (size_t i : order) sorted.push_back((*files)[i]);
  files->swap(sorted);

  // Windows folds letter case: one of the two would overwrite the other on
  // the user's disk, and the setup program could only ever find the first.
  for (size_t i = 1; i < files->size(); i++) {
    if (Stored_Upper((*files)[i].storedName) == Stored_Upper((*files)[i - 1].storedName)) {
      *error = (*files)[i].sourcePath + ": differs from " + (*files)[i - 1].sourcePath +
               " only in letter case; Windows cannot hold both";
      return false;
    }
  }
  std::string script = Stored_Upper(kSetupScriptName);
  bool hasScript = std::any_of(files->begin(), files->end(), [&](const TCabInput& f) {
    return Stored_Upper(f.storedName) == script;
  });
  if (!hasScript) {
    *error = Fs_Join(root, "KESTIN") + Fs_Separator() + "kestin.ini: missing; every package needs its setup script there";
    return false;
  }
  return true;
}
