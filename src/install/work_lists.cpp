#include "install/work_lists.h"
#include "install/script_rules.h"

void BuildWorkLists(const TScriptValues& script, const TInstallChoices& choices, TWorkLists& out) {
  int count = choices.ComponentCount < kMaxOptions ? choices.ComponentCount : kMaxOptions;
  for (int i = 0; i < count; ++i) {
    if (!choices.ComponentChecks[i]) continue;
    static const char* const kSuffixes[] = {"_List", "_Sys", "_Reg"};
    TStrList* lists[] = {&out.Installed, &out.System, &out.Registration};
    TStr number = IntToStr(i + 1);
    for (int j = 0; j < 3; ++j)
      ReadNumberedList(script, script.Value("Options", Concat("Option", number, kSuffixes[j]).c_str()), *lists[j]);
    out.TotalBytes += choices.ComponentSizes[i];
  }
}
