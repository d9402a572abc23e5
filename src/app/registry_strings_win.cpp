#include <windows.h>

#include "app/registry_strings.h"

TStr RegReadString(void* root, const TStr& keyPath, const char* valueName) {
  HKEY key;
  if (RegOpenKeyExA((HKEY)root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return TStr();
  TStr result;
  DWORD size = 0;
  LONG rc = RegQueryValueExA(key, valueName, nullptr, nullptr, nullptr, &size);
  // The value may grow between asking for its size and reading it; ask again.
  for (int tries = 0; rc == ERROR_SUCCESS && tries < 4; tries++) {
    TStr buf;
    buf.resize(size);
    DWORD got = size;
    rc = RegQueryValueExA(key, valueName, nullptr, nullptr, (BYTE*)buf.buffer(), &got);
    if (rc == ERROR_MORE_DATA) {
      size = got;
      rc = ERROR_SUCCESS;
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    if (got > size) got = size;
    while (got > 0 && buf[got - 1] == 0) got--;
    result = buf.substr(0, got);
    break;
  }
  RegCloseKey(key);
  return result;
}

bool RegWriteValue(void* root, const TStr& keyPath, const char* valueName, unsigned type,
                   const void* data, unsigned length, TError* error) {
  HKEY key;
  LONG rc = RegCreateKeyExA((HKEY)root, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr);
  if (rc == ERROR_SUCCESS) {
    rc = RegSetValueExA(key, valueName, 0, type, (const BYTE*)data, length);
    RegCloseKey(key);
  }
  if (rc == ERROR_SUCCESS) return true;
  error->Set(kRegistryWriteFailed, (unsigned)rc, Concat(keyPath, "\\", valueName));
  return false;
}
