// Which family of Windows this is, for the few places where the 95/98 family
// behaves differently.
#pragma once

// True when the system reports the NT platform family.
bool IsWindowsNT();
