#include "install/script_rules.h"
#include "uninstall/log_checks.h"

#include <string.h>

#include "base/str_list.h"
#include "package/stored_name.h"
#include "base/profile_values.h"

bool StaysInsideFolder(const TStr& relative) { return IsSafeStoredName(relative.c_str()); }

bool IsPlainFileName(const TStr& name) {
  return StaysInsideFolder(name) && name.find("\\") == TStr::npos && name.find("/") == TStr::npos;
}

TStr NumberedValue(const TScriptValues& script, const char* section, const char* word, int n) {
  return script.Value(section, Concat(word, IntToStr(n)).c_str());
}

void ReadNumberedList(const TScriptValues& script, const TStr& section, TStrList& list) {
  if (section.empty()) return;
  for (int n = 1;; ++n) {
    TStr name = script.Value(section.c_str(), IntToStr(n).c_str());
    if (name.empty()) return;
    list.Add(name);
  }
}

namespace {

class TRefusals {
public:
  TRefusals(TScriptRefusal* out, int max) : out_(out), max_(max) {}
  void Add(const char* section, const TStr& key, const char* reason) {
    if (out_ && count_ < max_) {
      out_[count_].Section = section;
      out_[count_].Key = key;
      out_[count_].Reason = reason;
    }
    ++count_;
  }
  int Count() const { return count_; }

private:
  TScriptRefusal* out_;
  int max_;
  int count_ = 0;
};

TStr Numbered(const char* word, int n) { return word + IntToStr(n); }
TStr OptionKey(int k, const char* suffix) { return Concat("Option", IntToStr(k), suffix); }

bool Blank(const TStr& s) { return TrimControl(s).empty(); }

// A registry key name that stays one key below its parent: no separator, not
// blank.
bool IsSingleKeyName(const TStr& s) { return !Blank(s) && s.find("\\") == TStr::npos; }

// Keys that hold other programs' data (or the whole system's): the same rule
// the uninstaller applies to the key the log names. Leading and trailing
// backslashes are the install's to drop.
bool IsSharedRegistryKey(const TStr& section) {
  TStr path = section;
  while (!path.empty() && path[0] == '\\') path = path.substr(1);
  while (!path.empty() && path.back() == '\\') path.resize(path.size() - 1);
  return !IsProductKeyPath(path);
}

void CheckUninstall(const TScriptValues& script, TRefusals& r) {
  if (script.Has("Uninstall", "SectionName")) {
    TStr name = script.Value("Uninstall", "SectionName");
    if (!IsSingleKeyName(name))
      r.Add("Uninstall", "SectionName",
            "must be one key name: empty or with a backslash it would make the uninstall delete the "
            "whole Uninstall key or another program's entry");
  }
  if (script.Has("Uninstall", "LogName") && !IsPlainFileName(script.Value("Uninstall", "LogName")))
    r.Add("Uninstall", "LogName", "must be a plain file name: the log stays in the installation folder");
  if (script.Has("Uninstall", "UninstallerName") &&
      !IsPlainFileName(script.Value("Uninstall", "UninstallerName")))
    r.Add("Uninstall", "UninstallerName",
          "must be a plain file name: the uninstaller file stays in the Windows folder");
  TStrList extra;
  ReadNumberedList(script, "Uninstall", extra);
  for (int i = 0; i < extra.Count(); ++i) {
    if (!StaysInsideFolder(extra[i]))
      r.Add("Uninstall", IntToStr(i + 1),
            "names a file outside the installation folder (\"..\", a drive or an absolute path): the "
            "uninstall would delete it");
  }
}

void CheckRegistry(const TScriptValues& script, TRefusals& r) {
  if (script.Value("Registry", "Root").empty()) return;  // no product key at all
  if (IsSharedRegistryKey(script.Value("Registry", "Section")))
    r.Add("Registry", "Section",
          "must name the product's own key: the uninstall deletes it with everything below it, and "
          "this would be a whole registry root or a key other programs share");
}

void CheckAssociations(const TScriptValues& script, TRefusals& r) {
  struct TRule {
    const char* word;
    bool dotted;
    const char* reason;
  };
  static const TRule kRules[] = {
      {"Ext", true, "must be an extension with its dot, such as .abc"},
      {"Type", false, "must be one key name: empty it would make the uninstall delete keys of every file type"},
      {"ActionTitle", false,
       "must be one verb name: empty it would make the uninstall delete all verbs of the file type"}};
  // The finish page lists entries up to the last consecutive caption.
  for (int i = 1; !NumberedValue(script, "RegisterExt", "Caption", i).empty(); ++i) {
    for (const TRule& rule : kRules) {
      TStr value = NumberedValue(script, "RegisterExt", rule.word, i);
      if (!IsSingleKeyName(value) || (rule.dotted && value[0] != '.'))
        r.Add("RegisterExt", Numbered(rule.word, i), rule.reason);
    }
  }
}

// A shortcut section's folder: `inSharedFolder` when, without a Subgroup, its
// shortcuts lie directly in a folder that holds other programs' shortcuts.
void CheckShortcutSection(const TScriptValues& script, const TStr& section, bool inSharedFolder,
                          TRefusals& r) {
  const char* s = section.c_str();
  TStr subgroup = script.Value(s, "Subgroup");
  if (!subgroup.empty() && !StaysInsideFolder(subgroup))
    r.Add(s, "Subgroup", "must be a folder below the desktop or program group");
  bool shared = inSharedFolder && subgroup.empty();
  for (int n = 1;; ++n) {
    TStr key = Numbered("Name", n);
    TStr name = script.Value(s, key.c_str());
    if (name.empty()) break;
    if (!IsPlainFileName(name))
      r.Add(s, key, "must be a plain name: the shortcut file would land outside its folder");
    TStr rmdir = Numbered("RmDir", n);
    if (shared && ProfileInteger(script.Value(s, rmdir.c_str()), 0) != 0)
      r.Add(s, rmdir,
            "would make the uninstall delete the whole desktop or programs folder; set it only for "
            "shortcuts in a Subgroup or program group of their own");
  }
}

void CheckFileList(const TScriptValues& script, const TStr& section, bool system, TRefusals& r) {
  TStrList names;
  ReadNumberedList(script, section, names);
  for (int i = 0; i < names.Count(); ++i) {
    if (!StaysInsideFolder(names[i]))
      r.Add(section.c_str(), IntToStr(i + 1), "names a file outside its target folder");
    else if (system && !IsPlainFileName(names[i]))
      // The uninstall removes a system file only by its plain name.
      r.Add(section.c_str(), IntToStr(i + 1), "a system file goes directly into the system folder: a plain name");
  }
}

bool AlreadySeen(const TStrList& seen, const TStr& name) {
  for (int i = 0; i < seen.Count(); ++i)
    if (SameTextAscii(seen[i].c_str(), name.c_str())) return true;
  return false;
}

void CheckOptions(const TScriptValues& script, TRefusals& r) {
  if (!script.Value("Options", OptionKey(kMaxOptions + 1, "_Text").c_str()).empty())
    r.Add("Options", OptionKey(kMaxOptions + 1, "_Text"), "a setup script has at most five options");
  TStr group = script.Value("Shortcuts", "Group");
  if (!group.empty() && !StaysInsideFolder(group))
    r.Add("Shortcuts", "Group", "must be a folder below the programs folder");
  // A section named by several options is checked once.
  TStrList seen;
  static const char* const kSuffixes[] = {"_List", "_Sys", "_Reg", "_Dsk", "_Prg"};
  for (int k = 1; k <= kMaxOptions; ++k) {
    if (script.Value("Options", OptionKey(k, "_Text").c_str()).empty()) break;
    for (int j = 0; j < 5; ++j) {
      TStr section = script.Value("Options", OptionKey(k, kSuffixes[j]).c_str());
      if (section.empty() || AlreadySeen(seen, section)) continue;
      seen.Add(section);
      if (j < 3)
        CheckFileList(script, section, j > 0, r);
      else
        // Desktop shortcuts lie directly in the desktop folder without a
        // Subgroup. Without a group the programs-menu shortcuts lie in the
        // programs folder itself. With one, the user may still pick an
        // existing group; the install run records RmDir only for a folder
        // it created.
        CheckShortcutSection(script, section, j == 3 || group.empty(), r);
    }
  }
}

}  // namespace

int FindRefusedScriptValues(const TScriptValues& script, TScriptRefusal* out, int max) {
  TRefusals r(out, max);
  CheckOptions(script, r);
  CheckUninstall(script, r);
  CheckRegistry(script, r);
  CheckAssociations(script, r);
  return r.Count();
}
