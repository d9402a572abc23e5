#include "install/option_size.h"
#include "install/script_rules.h"
#include "package/package_files.h"

long long MeasureOption(const TPackagePlace& package, const TScriptValues& script, int option, TError* error) {
  TStr key = Concat("Option", IntToStr(option));
  long long total = 0;
  const char* lists[] = {"_List", "_Sys"};
  for (const char* list : lists) {
    TStrList names;
    ReadNumberedList(script, script.Value("Options", (key + list).c_str()), names);
    TError e;
    total += MeasureFiles(package, names, &e);
    if (e.Failed() && error && !error->Failed()) *error = e;
  }
  return total;
}
