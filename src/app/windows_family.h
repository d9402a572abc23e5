// Which family of Windows this is, for the few places where the 95/98 family
// behaves differently.
#pragma once

// Sets WindowsNT (base/process_state.h): 1 when the system reports the NT
// platform family.
void DetectWindowsNT();
