// The switches and LOG=: what the release's loader also needs to choose a
// run and report one that could not start, apart from the other arguments'
// rules and words (the loader carries its words uncompressed).
#include "app/silent_args.h"
#include "install/folder_rules.h"

void SplitArgument(const TStr& arg, TStr* name, TStr* value, bool* hasValue) {
  size_t eq = arg.find("=");
  *hasValue = eq != TStr::npos;
  *name = UpperAscii(*hasValue ? arg.substr(0, eq) : arg);
  *value = *hasValue ? arg.substr(eq + 1) : TStr();
}

// LOG= first, whatever else the arguments hold.
bool TakeLog(const TStrList& args, TSilentArgs* out) {
  bool seen = false;
  for (int i = 0; i < args.Count(); i++) {
    TStr name, value;
    bool hasValue;
    SplitArgument(args[i], &name, &value, &hasValue);
    if (name != "LOG" || !hasValue) continue;
    if (seen) {
      out->Error = "LOG is given twice";
      out->LogPath.clear();
      return false;
    }
    seen = true;
    if (!IsFullFolderPath(value) || (value.back() == '\\' || value.back() == '/')) {
      out->Error = "LOG must be the full path of a file, such as C:\\install.log: " + value;
      return false;
    }
    out->LogPath = value;
  }
  return true;
}

bool IsSilentSwitch(const TStr& argument) { return UpperAscii(argument) == "/S"; }

bool IsHelpSwitch(const TStr& argument) { return argument == "/?"; }
