// Registry values by root, key path and value name, for the parts that write
// the product's values and read the registration settings.
#pragma once
#include "base/error.h"
#include "base/str.h"

// TError code of a failed RegWriteValue.
const int kRegistryWriteFailed = 0x101;

// The value's bytes as text, without trailing zero characters, whatever its
// length. Empty when the key cannot be opened or the value cannot be read.
// Root handles are passed as the registry's predefined key values.
TStr RegReadString(void* root, const TStr& keyPath, const char* valueName);

// Creates the key when missing (full access) and writes `length` bytes of
// `data` with the given type. False when the key cannot be created or the
// value not written; `error` then says which key and why.
bool RegWriteValue(void* root, const TStr& keyPath, const char* valueName, unsigned type,
                   const void* data, unsigned length, TError* error);
