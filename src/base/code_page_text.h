// Texts moved between code pages with the system's own tables (the rules of
// which code page is which: base/code_pages.h).
#pragma once
#include "base/str.h"

// LegacyCodePageRule for this system: GetACP(), or the ANSI code page of the
// system's locale when the program runs with UTF-8 as its code page.
unsigned LegacyCodePage();

// `text`, written in code page `from`, in the code page the program's "A"
// calls take (CP_ACP). Unchanged when `from` is 0 or that code page already;
// a UTF-8 byte-order mark is dropped. Characters the active code page lacks
// (only where the system ignores UTF-8 as the program's code page) become
// the system's default character.
TStr ToActiveCodePage(const TStr& text, unsigned from);
// A text of the package (the setup script, KESTIN\*.txt) in the active code
// page: from UTF-8 when it has a byte-order mark, else from `packageCodePage`
// (the code page the package's script names; 0: unconverted).
TStr PackageTextToActive(const TStr& text, unsigned packageCodePage);
// `text` from the active code page into code page `to`; false when a
// character has no place there (the result then holds the default character).
bool FromActiveCodePage(const TStr& text, unsigned to, TStr* out);
