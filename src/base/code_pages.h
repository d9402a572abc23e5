// Which Windows code page a text is in and which one the system shows. The
// program declares UTF-8 as its code page, so every "A" call takes UTF-8
// where the system honours that (Windows 10 1903 and later); older systems
// keep the ANSI code page of their locale. Texts come from the package in
// the code page their CharSet names and are converted before they are shown.
#pragma once
#include <stddef.h>

const unsigned kUtf8CodePage = 65001;

// The ANSI code page a program without UTF-8 as its code page would run
// under: the active one when it is not UTF-8, else that of the system's
// locale, else Western (1252) when the locale names none either.
unsigned LegacyCodePageRule(unsigned activeCodePage, unsigned localeCodePage);

// Font character set of an ANSI code page (1, the platform's "default" set,
// for code pages without a set of their own). The fonts keep the set the
// locale's code page gives, whatever code page the program runs under.
int CharsetForCodePage(unsigned codePage);
// The code page a font character set's texts are written in (its low byte),
// or 0 when the set has none (default, symbol, OEM ...).
unsigned CodePageForCharset(int charSet);

// The code page of a package's texts: the one its CharSet names (0, Western,
// included: `named` when the script has a CharSet that is a number), else the
// system's own (`legacyCodePage`), as a script without one, or with a set
// that has no code page of its own, has always been shown in.
unsigned PackageCodePageRule(bool named, int charSet, unsigned legacyCodePage);
// The code page of one text of the package (the setup script, KESTIN\*.txt):
// UTF-8 when it starts with a UTF-8 byte-order mark, as a text that no single
// code page holds is stored, else the package's.
unsigned TextCodePageRule(const char* text, size_t size, unsigned packageCodePage);
