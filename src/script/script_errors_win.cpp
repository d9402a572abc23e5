#include <windows.h>

#include "base/message_box.h"
#include "script/script_errors.h"
#include "script/defaults.h"

void ShowScriptError(void* owner, const TError& error, const TScriptTexts& texts) {
  TStr text = ScriptErrorText(error);
  if (text.empty()) return;
  // The missing earlier installation speaks in the script's own words and
  // caption; the file and registry messages are the program's own.
  if (error.Is(kErrorScript, kEarlierInstallMissing))
    ShowMessage(owner, text.c_str(), texts[TxtError].c_str(), MB_ICONERROR);
  else
    ShowMessage(owner, text.c_str(), "Error", MB_OK);
}
