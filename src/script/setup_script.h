// The setup script of install mode: the extracted KESTIN\kestin.ini, open
// from the start-up to the teardown, with its texts read once.
#pragma once
#include "script/ini_file.h"
#include "script/texts.h"

class TSetupScript : public TIniFile {
public:
  // Opens the script at `path` and reads its texts. A missing file reads as
  // empty: every key then takes its default.
  explicit TSetupScript(const TStr& path);

  TScriptTexts Texts;

  // The font character set [General] CharSet names: the value's low byte, 0
  // when it names none (a low byte of 0 cannot be asked for), for the
  // start-up to hand to the toolkit.
  int CharSet() const;
  // A [General] colour with its default text; unconvertible text is black.
  int Colour(const char* key, const char* fallback) const;
};
