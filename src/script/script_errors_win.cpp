#include <windows.h>

#include "base/message_box.h"
#include "script/script_errors.h"
#include "script/defaults.h"
#include "script/texts.h"

void ShowScriptError(void* owner, const TError& error) {
  TStr text = ScriptErrorText(error);
  if (text.empty()) return;
  // The missing earlier installation speaks in the script's own words and
  // caption; the file and registry messages are the program's own.
  if (error.Is(kErrorScript, kEarlierInstallMissing))
    ShowMessage(owner, text.c_str(), Text(TxtError).c_str(), MB_ICONERROR);
  else
    ShowMessage(owner, text.c_str(), "Error", MB_OK);
}
