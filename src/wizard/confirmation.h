// The text of the install question on the program-group page.
#pragma once
#include "base/str.h"

struct TConfirmationTexts {
  TStr DoYouWantToInstall, ProgramName, To, Folder, NextComponents;
};

// "<Do_You_Want_To_Install> \r\n<ProgramName>\r\n<To>\r\n<folder>?\r\n\r\n",
// then, with two components or more, "<Next_Components>\r\n\r\n" and the
// caption of each checked component followed by "\r\n".
TStr ComposeConfirmation(const TConfirmationTexts& t, const TStr* captions, const bool* checked, int count);
