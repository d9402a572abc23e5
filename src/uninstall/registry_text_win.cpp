#include <windows.h>

#include "uninstall/registry_text.h"

TStr ReadRegistryText(void* root, const TStr& path, const char* name) {
  TStr value;
  HKEY key;
  if (RegOpenKeyExA((HKEY)root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return value;
  char buf[1024];
  DWORD type = 0, size = sizeof buf - 1;
  if (RegQueryValueExA(key, name, nullptr, &type, (BYTE*)buf, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    buf[size] = 0;
    value = buf;
  }
  RegCloseKey(key);
  return value;
}
