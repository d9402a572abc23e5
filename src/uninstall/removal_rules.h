// The rules both sides of the self-removal agree on: where the helper's
// started marker lives, how the helper's command line is built, and how long
// either side waits for the other.
#pragma once
#include "base/str.h"

// Every wait polls at this interval...
const unsigned kRemovalPollMs = 100;
// ...and gives up after this long: the uninstaller stops waiting for a helper
// that never signalled, and the helper hands a file it still cannot delete
// to the system for deletion at the next restart.
const unsigned kRemovalWaitMs = 60000;

// `path` with its extension replaced by `extension` (which brings its own
// dot). The extension is what follows the last '.' when no '\' or ':' comes
// after it; a path without one gets `extension` appended.
TStr ReplaceExtension(const TStr& path, const char* extension);

// The helper's started marker: its own program path with the extension
// ".$$$" (KVL1A.tmp gives KVL1A.$$$ in the same folder).
TStr StartedMarkerPath(const TStr& helperPath);

// "helper" /D "file" "message". The argument splitter knows no escapes, so a
// double quote inside the message would end it early and turn the rest into
// arguments of their own: it becomes a single quote instead.
TStr HelperCommandLine(const TStr& helperPath, const TStr& fileToDelete, const TStr& message);
