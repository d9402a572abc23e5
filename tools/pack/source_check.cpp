#include "source_check.h"

#include <algorithm>

#include "charsets.h"
#include "name_rules.h"
#include "script/script_keys.h"
#include "text_encoding.h"

namespace {

bool ReadScript(const std::string& path, std::vector<uint8_t>* bytes, std::string* why) {
  TFile f;
  uint64_t size = 0;
  if (!f.OpenRead(path, why) || !f.Size(&size, why) || !f.Seek(0, why)) return false;
  if (size > (16u << 20)) {
    *why = "it is " + std::to_string(size) + " bytes; the setup program reads only small texts";
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

// A UTF-8 text with its byte-order mark, added when it has none.
std::vector<uint8_t> MarkedUtf8(const std::vector<uint8_t>& bytes) {
  const uint8_t kBom[] = {0xEF, 0xBB, 0xBF};
  if (bytes.size() >= 3 && std::equal(kBom, kBom + 3, bytes.begin())) return bytes;
  std::vector<uint8_t> marked(kBom, kBom + 3);
  marked.insert(marked.end(), bytes.begin(), bytes.end());
  return marked;
}

// The texts the setup program shows: the script and KESTIN\*.txt.
bool IsSupportText(const std::string& upper) {
  return upper.compare(0, 7, "KESTIN\\") == 0 && upper.find('\\', 7) == std::string::npos &&
         (upper == Stored_Upper(kSetupScriptName) || (upper.size() > 11 && upper.compare(upper.size() - 4, 4, ".TXT") == 0));
}

// UTF-8 texts go into the code page the script's CharSet selects, so the
// setup program shows them as written on every system. A text that code page
// cannot hold stays UTF-8, marked with a byte-order mark, which the setup
// program reads as UTF-8 (shown whole where Windows runs it with UTF-8 as its
// code page, Windows 10 1903 and later).
void ConvertTexts(TCheckedSource* checked, TFindings* findings) {
  TCodePage page;
  bool loaded = false;
  const TCharSet* set = CharSet_Find(checked->script.charSet);
  for (size_t i = 0; i < checked->tree.files.size(); i++) {
    const TCabInput& f = checked->tree.files[i];
    if (!IsSupportText(Stored_Upper(f.storedName))) continue;
    std::vector<uint8_t> bytes;
    std::string why;
    if (!ReadScript(f.sourcePath, &bytes, &why)) {
      findings->Error(f.sourcePath, "cannot read it (" + why + ")");
      continue;
    }
    if (Text_Detect(bytes) != kTextUtf8) continue;
    if (!checked->script.charSetValid) continue;  // reported with the CharSet
    if (!set || !set->codePage) {
      checked->converted[i] = MarkedUtf8(bytes);
      continue;
    }
    if (!loaded && !page.Load(set->codePage)) {
      findings->Error(f.sourcePath, "the table for code page " + std::to_string(set->codePage) + " is damaged; reinstall kestin-pack");
      return;
    }
    loaded = true;
    std::vector<uint8_t> out;
    std::vector<TRefusedChar> refused;
    Text_Convert(bytes, page, &out, &refused);
    checked->converted[i] = refused.empty() ? out : MarkedUtf8(bytes);
  }
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
  ConvertTexts(checked, findings);

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
