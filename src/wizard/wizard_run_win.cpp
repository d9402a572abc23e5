#include <windows.h>

#include "register/http_post.h"
#include "wizard/wizard.h"
#include "wizard/wizard_run.h"

void RunWizard(TSetupSession& session) {
  // Building the background builds the wizard; either may find that setup
  // cannot go on (a refused script, an earlier installation not found), and
  // then the loop is not entered.
  TBackgroundWindow* background = new TBackgroundWindow(session);
  if (!session.Cancel.IsSet()) background->RunModal();
  // The 95/98 family leaves a trace of a destroyed top-level window on the
  // task bar unless it is minimised first.
  if (!session.WindowsNT && background->Handle) ShowWindow(background->Handle, SW_MINIMIZE);
  delete background;
  WaitForWinInetRelease();
}
