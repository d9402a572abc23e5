// Every message the program shows goes through here, so tests can read what
// would have been shown instead of a window waiting for a click.
#pragma once

int ShowMessage(void* owner, const char* text, const char* caption, unsigned flags);

// When set, ShowMessage calls this instead of showing a box and returns its
// answer. Only tests set it.
typedef int (*TMessageHook)(void* owner, const char* text, const char* caption, unsigned flags);
extern TMessageHook MessageHook;
