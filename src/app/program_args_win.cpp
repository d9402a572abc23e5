#include <windows.h>

#include "app/cmdline.h"
#include "app/program_args.h"

TStr ProgramArgument(int index) {
  if (index == 0) {
    char path[261];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n >= sizeof path) n = 0;  // cut off: no usable path
    return TStr(path, n);
  }
  return CommandLineArgument(GetCommandLineA(), index);
}
