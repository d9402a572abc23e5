#include "script/texts.h"


static const char* const kTextKeys[kTextCount] = {
    "Back", "Next", "Cancel", "Yes", "No", "Install", "Finish", "Error",
    "Question", "Warning", "Information", "Register", "Browse", "SpaceReq",
    "SpaceAvail", "Description", "DestFolder", "SetupPrg", "Setup_Completed",
    "Setup_Aborted", "Exit_Setup_Question", "Exit_Setup_Caption", "Choose_Folder",
    "Do_You_Want_To_Install", "To", "Next_Components", "Reg_Error_Msg", "Reg_NameExists",
};

// The [General] texts, read once when the script is opened.
static TStr Texts[kTextCount];

const char* TextKey(TextId id) { return kTextKeys[id]; }
const TStr& Text(TextId id) { return Texts[id]; }
void SetText(TextId id, const TStr& value) { Texts[id] = value; }
