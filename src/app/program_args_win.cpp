#include <windows.h>

#include "app/cmdline.h"
#include "app/program_args.h"
#include "base/files.h"

TStr ProgramArgument(int index) {
  if (index == 0) return RunningProgramPath();
  return CommandLineArgument(GetCommandLineA(), index);
}
