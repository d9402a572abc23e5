#include "wizard/confirmation.h"

TStr ComposeConfirmation(const TConfirmationTexts& t, const TStr* captions, const bool* checked, int count) {
  const char* crlf = "\r\n";
  TStr text = Concat(t.DoYouWantToInstall, " \r\n", t.ProgramName, crlf, t.To, crlf, t.Folder, "?\r\n\r\n");
  if (count >= 2) {
    text += Concat(t.NextComponents, "\r\n\r\n");
    for (int i = 0; i < count; i++)
      if (checked[i]) text += Concat(captions[i], crlf);
  }
  return text;
}
