// The [General] texts of the setup script, read once at start-up and used by
// key name everywhere else.
#pragma once
#include "base/str.h"

enum TextId {
  TxtBack, TxtNext, TxtCancel, TxtYes, TxtNo, TxtInstall, TxtFinish, TxtError,
  TxtQuestion, TxtWarning, TxtInformation, TxtRegister, TxtBrowse, TxtSpaceReq,
  TxtSpaceAvail, TxtDescription, TxtDestFolder, TxtSetupPrg, TxtSetupCompleted,
  TxtSetupAborted, TxtExitSetupQuestion, TxtExitSetupCaption, TxtChooseFolder,
  TxtDoYouWantToInstall, TxtTo, TxtNextComponents, TxtRegErrorMsg, TxtRegNameExists,
  kTextCount
};

// The key each text is stored under, in the order they are read.
const char* TextKey(TextId id);
const TStr& Text(TextId id);
void SetText(TextId id, const TStr& value);
