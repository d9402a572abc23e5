// The [General] texts of the setup script, read once when the script is
// opened and used by name everywhere else.
#pragma once
#include "base/str.h"
#include "script/script_values.h"

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

class TScriptTexts {
public:
  // Every text from the script's [General] section (empty when missing).
  void Read(const TScriptValues& script);
  const TStr& operator[](TextId id) const { return texts_[id]; }
  void Set(TextId id, const TStr& value) { texts_[id] = value; }

private:
  TStr texts_[kTextCount];
};
