#include <windows.h>

#include "base/registry_value.h"

bool RegReadValueBytes(void* key, const char* valueName, TStr* bytes) {
  bytes->clear();
  DWORD size = 0;
  LONG rc = RegQueryValueExA((HKEY)key, valueName, nullptr, nullptr, nullptr, &size);
  // The value may grow between asking for its size and reading it; ask again.
  for (int tries = 0; rc == ERROR_SUCCESS && tries < 4; tries++) {
    bytes->resize(size);
    DWORD got = size;
    rc = RegQueryValueExA((HKEY)key, valueName, nullptr, nullptr, (BYTE*)bytes->buffer(), &got);
    if (rc == ERROR_MORE_DATA) {
      size = got;
      rc = ERROR_SUCCESS;
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    bytes->resize(got < size ? got : size);
    return true;
  }
  bytes->clear();
  return false;
}
