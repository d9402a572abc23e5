// `kestin-pack check`: everything wrong with a source folder, found in one
// run: the tree's names and files, and the setup script against the tree.
// `build` runs the same check first.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "findings.h"
#include "script_check.h"
#include "source_tree.h"

struct TCheckedSource {
  TSourceTree tree;
  TScriptCheckResult script;
  // The script and support texts written in UTF-8, converted to the code
  // page [General] CharSet selects, or, when that page cannot hold them,
  // kept in UTF-8 with a byte-order mark; by index in tree.files.
  std::map<size_t, std::vector<uint8_t>> converted;
};

// Adds every finding; false when any is an error.
bool Source_Check(const std::string& sourceFolder, const TCollectOptions& options,
                  TCheckedSource* checked, TFindings* findings);
