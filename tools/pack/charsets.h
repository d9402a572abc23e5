// Font character sets a setup script may name in [General] CharSet, and the
// Windows code page the setup program's texts are then shown in.
#pragma once
#include <string>

struct TCharSet {
  int charSet;     // the value of CharSet (its low byte)
  int codePage;    // 0: Windows knows the set but kestin-pack has no table for it
  const char* name;
};

// The entry for a CharSet value's low byte, or null when Windows has no such set.
const TCharSet* CharSet_Find(int charSet);
// "0 (Western), 238 (Central European), ..." for messages.
std::string CharSet_KnownList();
