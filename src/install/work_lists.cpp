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
    TStr option = "Option" + IntToStr(i + 1);
    ReadFileList(script, script.Value("Options", (option + "_List").c_str()), out.Installed);
    ReadFileList(script, script.Value("Options", (option + "_Sys").c_str()), out.System);
    ReadFileList(script, script.Value("Options", (option + "_Reg").c_str()), out.Registration);
    out.TotalBytes += choices.ComponentSizes[i];
  }
}
