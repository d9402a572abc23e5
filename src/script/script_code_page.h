// The code page of a package's texts, read from the bytes of its setup script
// before anything else reads it: the one its [General] CharSet names (0 is
// Western, although a font cannot be made to use set 0), or the system's. A
// text (the script too) that no single code page holds is stored in UTF-8
// with a byte-order mark instead (TextCodePageRule).
#pragma once
#include "base/str.h"

unsigned ScriptPackageCodePage(const TStr& script, unsigned legacyCodePage);
