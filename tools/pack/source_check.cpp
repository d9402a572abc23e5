#include "source_check.h"

#include "name_rules.h"
#include "script/script_keys.h"

namespace {

bool ReadScript(const std::string& path, std::vector<uint8_t>* bytes, std::string* why) {
  TFile f;
  uint64_t size = 0;
  if (!f.OpenRead(path, why) || !f.Size(&size, why) || !f.Seek(0, why)) return false;
  if (size > (16u << 20)) {
    *why = "it is " + std::to_string(size) + " bytes; a setup script is a small text file";
    return false;
  }
  bytes->resize(size_t(size));
  if (f.Read(bytes->data(), bytes->size()) != bytes->size()) {
    *why = f.ok() ? "it changed while being read" : f.lastError();
    return false;
  }
  return true;
}

bool IsSupportFile(const std::string& upper) {
  int count;
  const char* const* files = ScriptSupportFiles(&count);
  for (int i = 0; i < count; i++)
    if (Stored_Upper(files[i]) == upper) return true;
  return false;
}

}  // namespace

bool Source_Check(const std::string& sourceFolder, const TCollectOptions& options,
                  TCheckedSource* checked, TFindings* findings) {
  *checked = TCheckedSource();
  size_t errorsBefore = findings->Count(kError);
  Source_Collect(sourceFolder, options, &checked->tree, findings);

  const TCabInput* script = nullptr;
  for (const TCabInput& f : checked->tree.files)
    if (Stored_Upper(f.storedName) == Stored_Upper(kSetupScriptName)) script = &f;
  if (!script) return false;  // Source_Collect said so

  TScriptCheckInput input;
  input.scriptFile = script->sourcePath;
  std::string why;
  if (!ReadScript(script->sourcePath, &input.script, &why)) {
    findings->Error(script->sourcePath, "cannot read the setup script (" + why + ")");
    return false;
  }
  for (const TCabInput& f : checked->tree.files) input.storedNames.push_back(f.storedName);
  Script_Check(input, findings, &checked->script);

  for (const TCabInput& f : checked->tree.files) {
    std::string upper = Stored_Upper(f.storedName);
    if (checked->script.installed.count(upper) || IsSupportFile(upper) || checked->tree.flagged.count(upper))
      continue;
    bool under = false;
    for (const std::string& flagged : checked->tree.flagged)
      if (upper.compare(0, flagged.size() + 1, flagged + "\\") == 0) under = true;
    if (under) continue;
    findings->Warning(f.sourcePath, upper.compare(0, 7, "KESTIN\\") == 0
                                        ? "the setup program never reads this support file; delete it or leave it out with --exclude"
                                        : "no file list of the setup script installs \"" + f.storedName +
                                              "\"; list it under an option's _List section, or leave it out with --exclude");
  }
  return findings->Count(kError) == errorsBefore;
}
