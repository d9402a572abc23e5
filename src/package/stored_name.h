#pragma once
#include "base/str.h"

// Whether a name stored in a cabinet may be written below a target folder:
// not empty, relative, no drive or stream colon, no ".." (or other
// dots-and-blanks-only) part, no device name such as CON or LPT1 (with or
// without extension), no control characters. Both '\' and '/' count as
// separators, as the file system treats them.
bool IsSafeStoredName(const char* name);

// Whether a single name part opens a device on Windows (CON, NUL, COM1, ...):
// the text before its first dot, trailing blanks dropped, in any case.
bool IsDeviceName(const char* part, int len);

// Whether a next-cabinet name from a cabinet set is a plain file name that
// stays beside the current cabinet: no separator, drive or stream colon, not
// only dots and blanks, no device name, no control characters.
bool IsPlainCabinetName(const char* name);

// A stored name as a relative path of the system: '/' becomes '\', the
// separator it stands for.
TStr StoredNameAsPath(const char* name);

// Whether two stored names name the same file: ASCII letters without regard
// to case, '/' and '\' alike. Every place that matches a name from the
// script against a name in the cabinet (measuring, listing, extracting) uses
// this rule, so what one accepts the others find.
bool SameStoredName(const char* a, const char* b);
// The form of a stored name under that rule: two names are the same exactly
// when their keys are equal. For lookups that keep names to compare often.
TStr StoredNameKey(const char* name);
// The order that goes with SameStoredName: negative, zero or positive as `a`
// sorts before, with or after `b`.
int CompareStoredNames(const char* a, const char* b);

// The code page a stored name is written in: UTF-8 when the cabinet marks it
// so (attribute 0x80), else the package's own; 0 for a name of
// ASCII only, which reads the same in every code page.
unsigned StoredNameCodePage(const char* name, unsigned attribs, unsigned packageCodePage);
