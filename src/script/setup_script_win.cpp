#include "base/profile_values.h"
#include "script/setup_script.h"

TSetupScript::TSetupScript(const TStr& path) : TIniFile(path) { Texts.Read(*this); }

int TSetupScript::CharSet() const { return ReadInteger("General", "CharSet", 0) & 0xFF; }

int TSetupScript::Colour(const char* key, const char* fallback) const {
  return ProfileColour(ReadString("General", key, fallback));
}
