#include "base/process_state.h"
#include "base/profile_values.h"
#include "script/setup_script.h"
#include "script/texts.h"

TIniFile* SetupScript = nullptr;

int LoadSetupScript(const TStr& path) {
  FreeSetupScript();
  SetupScript = new TIniFile(path);
  for (int i = 0; i < kTextCount; i++)
    SetText(TextId(i), SetupScript->ReadString("General", TextKey(TextId(i)), ""));
  return SetupScript->ReadInteger("General", "CharSet", 0) & 0xFF;
}

void FreeSetupScript() {
  delete SetupScript;
  SetupScript = nullptr;
}

int ReadScriptColour(const char* key, const char* fallback) {
  return ProfileColour(SetupScript ? SetupScript->ReadString("General", key, fallback) : TStr(fallback));
}
