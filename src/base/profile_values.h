// How setup-script and uninstall-log values turn into numbers and colours.
#pragma once
#include "base/str.h"

// The integer rule: "0x"/"0X" at the start of a text longer than 2 characters
// becomes "$"; leading blanks are skipped; a sign is allowed; "$", "x", "X",
// "0x" or "0X" start a hexadecimal number (up to 32 bits); anything that is not
// consumed entirely (or an empty text) gives `fallback`.
int ProfileInteger(const TStr& text, int fallback);
// Colours use the same rule, but an unconvertible text is black (0).
int ProfileColour(const TStr& text);

const int kProfileValueMax = 2047;  // characters a value can have
