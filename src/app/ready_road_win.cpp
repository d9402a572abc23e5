#include <windows.h>

#include "app/entry.h"
#include "base/message_box.h"
#include "base/process_state.h"
#include "script/setup_script.h"
#include "script/texts.h"

// What the release setup.exe does after a good start-up while the wizard
// does not yet fit its size limit: say what the start-up found, so a package
// can be checked by eye, and end cleanly.
void RunReadyRoad() {
  TStr caption = SetupScript->ReadString("General", "Caption", "Kestin");
  TStr text = Concat("Setup is ready.\n\nProduct: ", SetupScript->ReadString("General", "ProgramName", ""),
                     "\nCabinet: ", CabinetPath, "\nOffset: ", IntToStr(CabinetOffset),
                     "\nNext button: ", Text(TxtNext));
  ShowMessage(nullptr, text.c_str(), caption.c_str(), MB_ICONINFORMATION);
}

void (*InstallRoad)() = RunReadyRoad;
