#include "script_check.h"

#include <algorithm>
#include <map>

#include "charsets.h"
#include "install/script_rules.h"
#include "name_rules.h"
#include "script/ini_text.h"
#include "base/profile_values.h"
#include "script/script_keys.h"

namespace {

std::string S(const TStr& t) { return std::string(t.c_str(), t.size()); }

struct TEntry {
  std::string name, rawValue;
  int line = 0;
  bool hasValue = true;
};

struct TSection {
  std::string name;
  int line = 0;
  std::vector<TEntry> entries;
  bool first = true;  // the one the setup program reads
};

std::string Upper(const std::string& s);

// The script's values as the setup program's profile reads give them. The
// check reads every list entry, so its own reads go through an index made in
// one pass by the same rules as IniFind (first section of a name, first entry
// of a name in it, an entry without '=' reading as missing); the installer's
// rule reads through IniFind itself.
class TScriptBytes : public TScriptValues {
public:
  explicit TScriptBytes(const std::vector<uint8_t>& bytes) : bytes_(bytes) {
    TIniText text((const char*)bytes.data(), bytes.size());
    TIniLine l;
    std::map<std::string, TValue>* section = nullptr;
    while (text.Next(&l)) {
      if (l.Kind == kIniSection) {
        std::string name = Stored_Upper(S(l.Name));  // as written: only asked names are trimmed
        section = nullptr;
        if (!name.empty() && !index_.count(name)) section = &index_[name];
        continue;
      }
      if (!section || (l.Kind != kIniEntry && l.Kind != kIniNoValue)) continue;
      std::string key = Upper(S(l.Name));
      if (key.empty() || section->count(key)) continue;
      TValue v;
      v.present = l.Kind == kIniEntry;
      if (v.present) v.text = S(IniReadValue(l.RawValue));
      v.line = l.Number;
      (*section)[key] = v;
    }
  }
  TStr Value(const char* section, const char* key) const override {
    TStr value;
    int line;
    IniFind((const char*)bytes_.data(), bytes_.size(), section, key, &value, &line);
    return value;
  }
  // A key written with an empty value is present: the installer refuses some
  // keys exactly when they are there but empty.
  bool Has(const char* section, const char* key) const override {
    auto s = index_.find(Upper(section));
    if (s == index_.end()) return false;
    auto k = s->second.find(Upper(key));
    return k != s->second.end() && k->second.present;
  }
  std::string Read(const std::string& section, const std::string& key, int* line = nullptr) const {
    if (line) *line = 0;
    auto s = index_.find(Upper(section));
    if (s == index_.end()) return "";
    auto k = s->second.find(Upper(key));
    if (k == s->second.end() || !k->second.present) return "";
    if (line) *line = k->second.line;
    return k->second.text;
  }

private:
  struct TValue {
    std::string text;
    int line = 0;
    bool present = false;
  };
  const std::vector<uint8_t>& bytes_;
  std::map<std::string, std::map<std::string, TValue>> index_;
};

std::string Upper(const std::string& s) {
  // Names are compared without regard to ASCII letter case, blanks around a
  // name asked for dropped.
  size_t a = 0, b = s.size();
  while (a < b && IniIsBlank(s[a])) a++;
  while (b > a && IniIsBlank(s[b - 1])) b--;
  return Stored_Upper(s.substr(a, b - a));
}

// A name as the script writes it against a name asked for, as a profile read
// compares them: letter case ignored, only the asked name trimmed.
bool SameName(const std::string& stored, const std::string& asked) {
  return Stored_Upper(stored) == Upper(asked);
}

std::string Numbered(const char* pattern, int n) {
  std::string r;
  for (const char* p = pattern; *p; p++) r += *p == '#' ? std::to_string(n) : std::string(1, *p);
  return r;
}

// The digits in a key, for suggesting names with the same number.
int NumberIn(const std::string& key) {
  size_t at = key.find_first_of("0123456789");
  if (at == std::string::npos) return 1;
  int n = 0;
  for (size_t i = at; i < key.size() && key[i] >= '0' && key[i] <= '9' && n < 100000; i++)
    n = n * 10 + (key[i] - '0');
  return n > 0 ? n : 1;
}

// Which numbered key ends a section's numbered lists: the program reads n =
// 1, 2, ... until that key is missing or empty.
const char* ListDriver(const TScriptSection& s) {
  if (s.Kind == kSectionFileList) return "#";
  if (s.Kind == kSectionShortcuts) return "Name#";
  std::string name = s.Name;
  if (name == "Options") return "Option#_Text";
  if (name == "RegisterExt") return "Caption#";
  if (name == "Uninstall") return "#";
  return nullptr;
}

class TChecker {
public:
  TChecker(const TScriptCheckInput& in, TFindings* findings, TScriptCheckResult* result)
      : in_(in), script_(in.script), findings_(findings), result_(result) {}

  void Run() {
    const std::vector<uint8_t>& b = in_.script;
    if (b.size() >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
      Error(0, "", "", "the script is saved as UTF-16; save it as UTF-8 or in the Windows code page");
      return;
    }
    Parse();
    if (!HasSettings()) {
      Error(0, "", "",
            "the script holds no settings; the setup program would show empty pages and install "
            "nothing (see the publisher's guide for the sections it needs)");
      return;
    }
    CollectReferences();
    for (TSection& s : sections_) CheckSection(s);
    CheckReferences();
    CheckOptionsShown();
    CheckFileLists();
    CheckRefusals();
  }

private:
  void Error(int line, const std::string& section, const std::string& key, const std::string& why) {
    findings_->Add(kError, in_.scriptFile, line, section, key, why);
  }
  void Warning(int line, const std::string& section, const std::string& key, const std::string& why) {
    findings_->Add(kWarning, in_.scriptFile, line, section, key, why);
  }

  void Parse() {
    TIniText text((const char*)in_.script.data(), in_.script.size());
    TIniLine l;
    while (text.Next(&l)) {
      if (l.Kind == kIniBlank) continue;
      if (l.Kind == kIniSection) {
        TSection s;
        s.name = S(l.Name);
        s.line = l.Number;
        for (const TSection& earlier : sections_)
          if (earlier.first && !s.name.empty() && Stored_Upper(earlier.name) == Stored_Upper(s.name)) {
            s.first = false;
            Warning(l.Number, s.name, "",
                    "the section appears again (first at line " + std::to_string(earlier.line) +
                        "); the setup program reads only the first, so merge them");
          }
        sections_.push_back(s);
        continue;
      }
      std::string name = S(l.Name);
      if (l.Kind == kIniNoValue && !name.empty() && name[0] == ';') continue;  // a comment
      if (sections_.empty()) {
        Warning(l.Number, "", "",
                "\"" + name + "\" stands before any [Section]; the setup program never reads it");
        continue;
      }
      TEntry e;
      e.name = name;
      e.rawValue = S(l.RawValue);
      e.line = l.Number;
      e.hasValue = l.Kind == kIniEntry;
      sections_.back().entries.push_back(e);
    }
  }

  bool HasSettings() const {
    for (const TSection& s : sections_)
      for (const TEntry& e : s.entries)
        if (e.hasValue) return true;
    return false;
  }

  bool SectionExists(const std::string& name) const {
    for (const TSection& s : sections_)
      if (s.first && SameName(s.name, name)) return true;
    return false;
  }

  struct TReference {
    std::string section;  // the section named
    TScriptSectionKind kind;
    std::string key;      // the option key naming it
    int line;
  };

  void CollectReferences() {
    int count;
    const TScriptSection* all = ScriptSections(&count);
    const TScriptSection* options = nullptr;
    for (int i = 0; i < count; i++)
      if (all[i].Name && std::string(all[i].Name) == "Options") options = &all[i];
    for (int k = 1; k <= 5; k++) {
      for (int i = 0; i < options->KeyCount; i++) {
        const TScriptKey& key = options->Keys[i];
        if (key.Kind != kValueFileList && key.Kind != kValueShortcuts) continue;
        std::string name = Numbered(key.Pattern, k);
        int line;
        std::string value = script_.Read("Options", name, &line);
        if (value.empty()) continue;
        references_.push_back(TReference{value, key.Kind == kValueFileList ? kSectionFileList
                                                                            : kSectionShortcuts,
                                         name, line});
      }
    }
  }

  // The key tables that apply to section `s`: its own, or those of the lists
  // that name it.
  std::vector<const TScriptSection*> TablesFor(const TSection& s) const {
    std::vector<const TScriptSection*> tables;
    int count;
    const TScriptSection* all = ScriptSections(&count);
    for (int i = 0; i < count; i++)
      if (all[i].Name && SameName(s.name, all[i].Name)) tables.push_back(&all[i]);
    for (const TReference& r : references_) {
      if (!SameName(s.name, r.section)) continue;
      const TScriptSection* t = ScriptSectionOfKind(r.kind);
      if (std::find(tables.begin(), tables.end(), t) == tables.end()) tables.push_back(t);
    }
    return tables;
  }

  void CheckSection(TSection& s) {
    if (!s.first) return;
    std::vector<const TScriptSection*> tables = TablesFor(s);
    if (tables.empty()) {
      ReportUnknownSection(s);
      return;
    }
    std::map<std::string, int> seen;
    for (const TEntry& e : s.entries) {
      if (!e.hasValue) {
        Warning(e.line, s.name, e.name, "the line has no '='; the setup program reads nothing from it");
        continue;
      }
      auto again = seen.find(Upper(e.name));
      if (again != seen.end()) {
        Warning(e.line, s.name, e.name,
                "repeats line " + std::to_string(again->second) + "; the setup program reads only the first");
        continue;
      }
      seen[Upper(e.name)] = e.line;
      CheckKey(s, tables, e);
    }
  }

  void ReportUnknownSection(const TSection& s) {
    bool numbered = !s.entries.empty();
    for (const TEntry& e : s.entries)
      if (e.name.empty() || e.name.find_first_not_of("0123456789") != std::string::npos) numbered = false;
    std::vector<std::string> known;
    int count;
    const TScriptSection* all = ScriptSections(&count);
    for (int i = 0; i < count; i++)
      if (all[i].Name) known.push_back(all[i].Name);
    for (const TReference& r : references_) known.push_back(r.section);
    std::string closest = Script_ClosestName(s.name, known);
    std::string why = "unknown section";
    if (!closest.empty()) why += "; did you mean [" + closest + "]?";
    else if (numbered)
      why += ": no option's _List, _Sys or _Reg names it, so its files are never installed";
    else
      why += "; the setup program never reads it";
    Error(s.line, s.name, "", why);
  }

  void CheckKey(const TSection& s, const std::vector<const TScriptSection*>& tables, const TEntry& e) {
    const TScriptKey* rule = nullptr;
    const TScriptSection* table = nullptr;
    int number = 0;
    for (const TScriptSection* t : tables) {
      rule = ScriptKeyFor(*t, e.name.c_str(), &number);
      if (rule) { table = t; break; }
    }
    if (!rule) {
      ReportUnknownKey(s, tables, e);
      return;
    }
    if (number < 0) {
      Error(e.line, s.name, e.name,
            "never read: the setup program writes numbers without leading zeros (" +
                Numbered(rule->Pattern, NumberIn(e.name)) + ")");
      return;
    }
    if (rule->MaxNumber && number > rule->MaxNumber) {
      Error(e.line, s.name, e.name,
            "option numbers run from 1 to " + std::to_string(rule->MaxNumber) +
                "; the setup program never reads option " + std::to_string(number));
      return;
    }
    if (number > 0) CheckListEnd(s, *table, e, number);
    CheckValue(s, *rule, e);
  }

  // A numbered key after the end of its list is never read.
  void CheckListEnd(const TSection& s, const TScriptSection& table, const TEntry& e, int number) {
    const char* driver = ListDriver(table);
    if (!driver) return;
    std::string memo = Upper(s.name) + "\n" + driver;
    auto known = listEnds_.find(memo);
    if (known == listEnds_.end()) {
      int end = 0;
      while (!script_.Read(s.name, Numbered(driver, end + 1)).empty()) end++;
      known = listEnds_.emplace(memo, end).first;
    }
    int end = known->second;
    if (number <= end) return;
    Warning(e.line, s.name, e.name,
            "never read: the list stops at " + Numbered(driver, end + 1) +
                ", which is missing or empty");
  }

  void CheckValue(const TSection& s, const TScriptKey& rule, const TEntry& e) {
    std::string value = S(IniReadValue(TStr(e.rawValue.c_str(), e.rawValue.size())));
    if (rule.Kind != kValueInteger && rule.Kind != kValueColour && rule.Kind != kValueCharSet) return;
    if (value.empty()) return;
    TStr text(value.c_str(), value.size());
    int n = ProfileInteger(text, 0);
    bool parses = n == ProfileInteger(text, 1);  // a failed conversion gives the fallback
    if (!parses) {
      std::string why = "\"" + value + "\" is not a number";
      if (rule.Kind == kValueColour)
        why += "; the background would be painted black. Write a colour as $02BBGGRR";
      else if (rule.Kind == kValueCharSet)
        why += "; use one of " + CharSet_KnownList();
      else
        why += "; write it in decimal, or hexadecimal with $ or 0x in front";
      Error(e.line, s.name, e.name, why);
      if (rule.Kind == kValueCharSet) result_->charSetValid = false;
      return;
    }
    if (rule.Kind == kValueCharSet) {
      result_->charSet = n & 0xFF;
      if (!CharSet_Find(n)) {
        result_->charSetValid = false;
        Error(e.line, s.name, e.name,
              "unknown character set " + std::to_string(n & 0xFF) + "; use one of " + CharSet_KnownList());
      }
    }
  }

  void ReportUnknownKey(const TSection& s, const std::vector<const TScriptSection*>& tables,
                        const TEntry& e) {
    std::vector<std::string> known;
    int number = NumberIn(e.name);
    for (const TScriptSection* t : tables)
      for (int i = 0; i < t->KeyCount; i++) known.push_back(Numbered(t->Keys[i].Pattern, number));
    std::string why = "unknown key";
    std::string closest = Script_ClosestName(e.name, known);
    if (!closest.empty()) {
      why += "; did you mean " + closest + "?";
    } else {
      // A key written into the wrong section.
      int count, n;
      const TScriptSection* all = ScriptSections(&count);
      for (int i = 0; i < count; i++)
        if (all[i].Name && !SameName(s.name, all[i].Name) && ScriptKeyFor(all[i], e.name.c_str(), &n)) {
          why += "; it belongs in [" + std::string(all[i].Name) + "]";
          break;
        }
    }
    Error(e.line, s.name, e.name, why);
  }

  void CheckReferences() {
    for (const TReference& r : references_)
      if (!SectionExists(r.section))
        Error(r.line, "Options", r.key, "names the section [" + r.section + "], which the script does not have");
  }

  int OptionsShown() const {
    int k = 0;
    while (k < 5 && !script_.Read("Options", "Option" + std::to_string(k + 1) + "_Text").empty()) k++;
    return k;
  }

  void CheckOptionsShown() {
    if (OptionsShown() > 0) return;
    int line;
    script_.Read("Options", "Option1_Text", &line);
    Warning(line, "Options", "Option1_Text",
            "missing or empty, so setup offers no option and installs no files");
  }

  void CheckFileLists() {
    std::set<std::string> tree;
    for (const std::string& n : in_.storedNames) tree.insert(Upper(n));
    std::set<std::string> done;
    for (const TReference& r : references_) {
      if (r.kind != kSectionFileList || !SectionExists(r.section) || !done.insert(Upper(r.section)).second)
        continue;
      for (int n = 1;; n++) {
        int line;
        std::string file = script_.Read(r.section, std::to_string(n), &line);
        if (file.empty()) break;
        std::string key = std::to_string(n);
        if (file.find('/') != std::string::npos) {
          std::string fixed = file;
          std::replace(fixed.begin(), fixed.end(), '/', '\\');
          Error(line, r.section, key,
                "\"" + file + "\": stored names use '\\' between folders; write " + fixed);
          continue;
        }
        if (!tree.count(Upper(file))) {
          Error(line, r.section, key, "\"" + file + "\" is not in the source folder; add the file or correct the name");
          continue;
        }
        result_->installed.insert(Upper(file));
      }
    }
  }

  void CheckRefusals() {
    int total = FindRefusedScriptValues(script_, nullptr, 0);
    if (total <= 0) return;
    std::vector<TScriptRefusal> refusals((size_t)total);
    int n = FindRefusedScriptValues(script_, refusals.data(), total);
    for (int i = 0; i < n && i < total; i++) {
      const TScriptRefusal& r = refusals[(size_t)i];
      int line;
      script_.Read(S(r.Section), S(r.Key), &line);
      Error(line, S(r.Section), S(r.Key), "the installer refuses this script: " + S(r.Reason));
    }
  }

  const TScriptCheckInput& in_;
  TScriptBytes script_;
  TFindings* findings_;
  TScriptCheckResult* result_;
  std::vector<TSection> sections_;
  std::vector<TReference> references_;
  std::map<std::string, int> listEnds_;  // section and list key -> last number read
};

// Edit distance with adjacent transpositions, ASCII letter case ignored.
size_t Distance(const std::string& a, const std::string& b) {
  std::string x = Upper(a), y = Upper(b);
  std::vector<std::vector<size_t>> d(x.size() + 1, std::vector<size_t>(y.size() + 1));
  for (size_t i = 0; i <= x.size(); i++) d[i][0] = i;
  for (size_t j = 0; j <= y.size(); j++) d[0][j] = j;
  for (size_t i = 1; i <= x.size(); i++)
    for (size_t j = 1; j <= y.size(); j++) {
      size_t cost = x[i - 1] == y[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[x.size()][y.size()];
}

}  // namespace

std::string Script_ClosestName(const std::string& name, const std::vector<std::string>& known) {
  std::string best;
  size_t bestDistance = std::max<size_t>(2, name.size() / 3) + 1;
  for (const std::string& k : known) {
    size_t d = Distance(name, k);
    if (d < bestDistance) {
      bestDistance = d;
      best = k;
    }
  }
  return best;
}

void Script_Check(const TScriptCheckInput& input, TFindings* findings, TScriptCheckResult* result) {
  *result = TScriptCheckResult();
  TFindings own;
  TChecker(input, &own, result).Run();
  // In line order, as an editor walks the file.
  std::vector<TFinding> list = own.list();
  std::stable_sort(list.begin(), list.end(), [](const TFinding& a, const TFinding& b) { return a.line < b.line; });
  for (const TFinding& f : list) findings->Add(f.severity, f.file, f.line, f.section, f.key, f.reason);
}
