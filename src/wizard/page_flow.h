// The wizard's nine pages, always in this order, and what each page does with
// the three buttons. The windows follow this table; nothing here needs them.
#pragma once
#include "script/texts.h"

enum TWizardPage {
  kPageWelcome,
  kPageWhatsNew,
  kPageLicense,
  kPageUser,
  kPageComponents,
  kPageDestination,
  kPageGroup,
  kPageInstall,
  kPageComplete,
  kPageCount
};

// What the third button does on a page.
enum TCancelAction {
  kCancelAsk,      // asks whether to leave setup
  kCancelInstall,  // stops the running install (rolled back)
  kCancelFinish,   // the Finish action
};

struct TPageButtons {
  bool BackVisible;
  bool NextVisible;
  TextId NextCaption;
  TextId CancelCaption;
  TCancelAction CancelAction;
  // Whether Escape and a close request (Alt+F4, the system's close) press
  // the third button. Never on the last page, where it is Finish: a stray
  // Escape does nothing there, and a close ends setup with result 2 as
  // every close of the background does, without Finish's shortcuts,
  // associations and launch.
  bool EscapeCancels;
};

// The buttons of `page`; `registrationOn` hides Back on the components page
// (the user page has been sent by then).
TPageButtons PageButtons(int page, bool registrationOn);

// Next from the program-group page first asks the install question.
inline bool AsksInstallQuestion(int page) { return page == kPageGroup; }
// The page Next leads to, and the one Back leads to; the same page when
// there is none (Next never leaves the install page: the run does).
int PageAfter(int page);
int PageBefore(int page);
