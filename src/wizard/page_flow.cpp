#include "wizard/page_flow.h"

TPageButtons PageButtons(int page, bool registrationOn) {
  TPageButtons b = {true, true, TxtNext, TxtCancel, kCancelAsk, true};
  switch (page) {
    case kPageWelcome: b.BackVisible = false; break;
    case kPageLicense:
      b.NextCaption = TxtYes;
      b.CancelCaption = TxtNo;
      break;
    case kPageComponents: b.BackVisible = !registrationOn; break;
    case kPageGroup: b.NextCaption = TxtInstall; break;
    case kPageInstall:
      b.BackVisible = b.NextVisible = false;
      b.CancelAction = kCancelInstall;
      break;
    case kPageComplete:
      b.BackVisible = b.NextVisible = false;
      b.CancelCaption = TxtFinish;
      b.CancelAction = kCancelFinish;
      b.EscapeCancels = false;
      break;
  }
  return b;
}

int PageAfter(int page) { return page >= kPageWelcome && page < kPageInstall ? page + 1 : page; }

int PageBefore(int page) {
  // The install and complete pages have no way back: the files are there.
  return page > kPageWelcome && page < kPageInstall ? page - 1 : page;
}
