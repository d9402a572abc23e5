// Creating a COM object by its class identifier (the shell link for
// shortcuts).
#pragma once
#include "base/error.h"

// TError code of a class that could not be instantiated.
const int kComObjectFailed = 0x103;

// CoCreateInstance for an in-process or local server, asking for IUnknown.
// Null when it fails; `error` then holds the HRESULT as its system error.
void* CreateComObject(const void* classId, TError* error);
