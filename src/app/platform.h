// Small platform helpers shared by several subsystems.
#pragma once
#include "base/str.h"

TStr GetWindowsDir();
// A shell special folder by its identifier (0 desktop, 2 programs menu of the
// current user); empty when it is not available.
TStr GetSpecialFolder(int csidl);
// Root handles are passed as the registry's predefined key values.
TStr RegReadString(void* root, const TStr& keyPath, const char* valueName);
bool RegWriteValue(void* root, const TStr& keyPath, const char* valueName, unsigned type,
                   const void* data, unsigned length);
// Starts a program; with wait, waits for it and returns its exit code. Returns
// the system error code when it cannot start, 0 without wait.
unsigned RunProgram(const char* application, const TStr& commandLine, int showState, bool wait);
// CoCreateInstance for an in-process or local server, asking for IUnknown.
void* CreateComObject(const void* classId);
void DetectWindowsNT();
