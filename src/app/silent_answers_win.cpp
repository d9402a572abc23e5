#include <windows.h>

#include "app/program_args.h"
#include "app/silent_args.h"
#include "app/silent_mode.h"
#include "base/message_box.h"

TStrList ArgumentsFrom(int first) {
  TStrList list;
  for (int i = first; i < first + 64; i++) {
    TStr arg = ProgramArgument(i);
    if (arg.empty()) break;
    list.Add(arg);
  }
  return list;
}

void ShowSwitches() {
  ShowMessage(nullptr, SilentSwitchesText().c_str(), "Setup", MB_OK | MB_ICONINFORMATION);
}
