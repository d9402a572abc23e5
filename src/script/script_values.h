// The one face the setup script is read through: the wizard, the unattended
// install, the install run and kestin-pack's check all read values this way.
#pragma once
#include "base/str.h"

// Reads setup-script values as the platform's profile functions give them: an
// absent key reads as an empty text.
class TScriptValues {
public:
  virtual ~TScriptValues() {}
  virtual TStr Value(const char* section, const char* key) const = 0;
  // Whether the key is there at all, even with an empty value. The profile
  // functions give a key's default only when it is absent, so a present but
  // empty [Uninstall] SectionName is read as an empty name. A reader that
  // cannot tell absent from empty keeps this default (absent when empty).
  virtual bool Has(const char* section, const char* key) const { return !Value(section, key).empty(); }
};
