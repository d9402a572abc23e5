#include <windows.h>

#include "app/registry_strings.h"
#include "base/registry_value.h"

TStr RegReadString(void* root, const TStr& keyPath, const char* valueName) {
  HKEY key;
  if (RegOpenKeyExA((HKEY)root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return TStr();
  TStr result;
  if (RegReadValueBytes(key, valueName, &result)) {
    size_t n = result.size();
    while (n > 0 && result[n - 1] == 0) n--;
    result.resize(n);
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
  error->Set(kErrorShell, kRegistryWriteFailed, (unsigned)rc, Concat(keyPath, "\\", valueName));
  return false;
}
