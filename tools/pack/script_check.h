// The setup-script half of `kestin-pack check`: reads KESTIN\kestin.ini by
// the setup program's own INI rules and reports every mistake the setup
// program would otherwise meet on the customer's machine.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "findings.h"

struct TScriptCheckInput {
  std::string scriptFile;               // the script's path as the user should see it
  std::vector<uint8_t> script;          // its bytes
  std::vector<std::string> storedNames; // every file the package will hold, as stored
};

struct TScriptCheckResult {
  // Upper-cased stored names that some list installs.
  std::set<std::string> installed;
  // The script's [General] CharSet as the setup program reads it (0 when missing).
  int charSet = 0;
  bool charSetValid = true;
};

// Adds every finding to `findings`.
void Script_Check(const TScriptCheckInput& input, TFindings* findings, TScriptCheckResult* result);

// The known name closest to `name` (letter case ignored) when it is close
// enough to be a likely misspelling, or "".
std::string Script_ClosestName(const std::string& name, const std::vector<std::string>& known);
