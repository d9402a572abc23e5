// Unattended-mode arguments of any shape: the parser ends, refuses with a
// reason or accepts only what holds together (a full DIR, option numbers in
// range, a full LOG path).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/silent_args.h"
#include "install/folder_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One argument per line, as the command line splitting hands them over.
  std::string text(reinterpret_cast<const char*>(data), size);
  TStrList args;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); i++) {
    if (i < text.size() && text[i] != '\n') continue;
    std::string arg = text.substr(start, i - start);
    args.Add(TStr(arg.c_str()));
    start = i + 1;
  }
  TSilentArgs a;
  bool ok = ParseSilentArgs(args, &a);
  if (ok != a.Error.empty()) abort();
  if (ok && a.HasDir && !IsFullFolderPath(a.Dir)) abort();
  if (!a.LogPath.empty() && !IsFullFolderPath(a.LogPath)) abort();
  if (ok && a.HasGroup && !IsAcceptableGroupName(a.Group)) abort();
  TSilentArgs u;
  if (ParseSilentUninstallArgs(args, &u) != u.Error.empty()) abort();
  return 0;
}
