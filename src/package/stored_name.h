#pragma once

// Whether a name stored in a cabinet may be written below a target folder:
// not empty, relative, no drive or stream colon, no ".." (or other
// dots-and-blanks-only) part, no device name such as CON or LPT1 (with or
// without extension), no control characters. Both '\' and '/' count as
// separators, as the file system treats them.
bool IsSafeStoredName(const char* name);

// Whether a single name part opens a device on Windows (CON, NUL, COM1, ...):
// the text before its first dot, trailing blanks dropped, in any case.
bool IsDeviceName(const char* part, int len);
