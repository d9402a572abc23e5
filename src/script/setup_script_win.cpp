#include "base/process_state.h"
#include "base/profile_values.h"
#include "script/setup_script.h"
#include "script/texts.h"

void LoadSetupScript(const TStr& path) {
  FreeSetupScript();
  SetupScript = new TIniFile(path);
  int charSet = SetupScript->ReadInteger("General", "CharSet", 0) & 0xFF;
  // A low byte of 0 keeps the character set the system's code page gave.
  if (charSet != 0) ScriptCharSet = charSet;
  for (int i = 0; i < kTextCount; i++)
    SetText(TextId(i), SetupScript->ReadString("General", TextKey(TextId(i)), ""));
}

void FreeSetupScript() {
  delete SetupScript;
  SetupScript = nullptr;
}

int ReadScriptColour(const char* key, const char* fallback) {
  return ProfileColour(SetupScript ? SetupScript->ReadString("General", key, fallback) : TStr(fallback));
}
