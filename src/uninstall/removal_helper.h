#pragma once
#include "base/str.h"

// Deletes the uninstaller's temporary copy `file` once it has exited, then
// shows `message`.
void RemovalHelperRun(const TStr& file, const TStr& message);
