#include "script/texts.h"

static const char* const kTextKeys[kTextCount] = {
    "Back", "Next", "Cancel", "Yes", "No", "Install", "Finish", "Error",
    "Question", "Warning", "Information", "Register", "Browse", "SpaceReq",
    "SpaceAvail", "Description", "DestFolder", "SetupPrg", "Setup_Completed",
    "Setup_Aborted", "Exit_Setup_Question", "Exit_Setup_Caption", "Choose_Folder",
    "Do_You_Want_To_Install", "To", "Next_Components", "Reg_Error_Msg", "Reg_NameExists",
};

const char* TextKey(TextId id) { return kTextKeys[id]; }

void TScriptTexts::Read(const TScriptValues& script) {
  for (int i = 0; i < kTextCount; i++) texts_[i] = script.Value("General", kTextKeys[i]);
}
