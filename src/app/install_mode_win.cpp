#include <windows.h>

#include "app/entry.h"
#include "app/startup.h"
#include "base/message_box.h"
#include "base/process_state.h"
#include "script/setup_script.h"
#include "script/texts.h"

void RunInstallMode() {
  // The top of the run: the start-up only says what failed.
  TError failure = SetupStartup();
  if (failure.Failed()) {
    ShowStartupError(failure);
    return;
  }
  // Until the wizard exists, say what the start-up found so a run can be
  // checked by eye, then end cleanly.
  TStr caption = SetupScript->ReadString("General", "Caption", "Kestin");
  TStr text = Concat("Setup is ready.\n\nProduct: ", SetupScript->ReadString("General", "ProgramName", ""),
                     "\nCabinet: ", CabinetPath, "\nOffset: ", IntToStr(CabinetOffset),
                     "\nNext button: ", Text(TxtNext));
  ShowMessage(nullptr, text.c_str(), caption.c_str(), MB_ICONINFORMATION);
  SetupTeardown();
}
