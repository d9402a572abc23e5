#include <windows.h>

#include "base/process_state.h"
#include "register/http_post.h"
#include "wizard/wizard.h"
#include "wizard/wizard_run.h"

void RunWizard() {
  // Building the background builds the wizard; either may find that setup
  // cannot go on (a refused script, an earlier installation not found), and
  // then the loop is not entered.
  TBackgroundWindow* background = new TBackgroundWindow(UpperColour, LowerColour);
  if (!CancelFlag.IsSet()) background->RunModal();
  // The 95/98 family leaves a trace of a destroyed top-level window on the
  // task bar unless it is minimised first.
  if (!WindowsNT && background->Handle) ShowWindow(background->Handle, SW_MINIMIZE);
  delete background;
  WaitForWinInetRelease();
}
