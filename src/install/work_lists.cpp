#include "install/work_lists.h"

void ReadFileList(const TScriptValues& script, const TStr& section, TStrList& list) {
  if (section.empty()) return;
  for (int n = 1;; ++n) {
    TStr name = script.Value(section.c_str(), IntToStr(n).c_str());
    if (name.empty()) return;
    list.Add(name);
  }
}

void BuildWorkLists(const TScriptValues& script, const TInstallChoices& choices, TWorkLists& out) {
  int count = choices.ComponentCount < kMaxOptions ? choices.ComponentCount : kMaxOptions;
  for (int i = 0; i < count; ++i) {
    if (!choices.ComponentChecks[i]) continue;
    static const char* const kSuffixes[] = {"_List", "_Sys", "_Reg"};
    TStrList* lists[] = {&out.Installed, &out.System, &out.Registration};
    TStr number = IntToStr(i + 1);
    for (int j = 0; j < 3; ++j)
      ReadFileList(script, script.Value("Options", Concat("Option", number, kSuffixes[j]).c_str()), *lists[j]);
    out.TotalBytes += choices.ComponentSizes[i];
  }
}
