#include <windows.h>

#include "uninstall/registry_text.h"
#include "uninstall/registry_undo.h"
#include "uninstall/undo_steps.h"

namespace {

// More than any key the installation writes holds: a longer list is not ours.
const int kMostEntries = 32;

// Lists `key`'s values and, depth first, its subkeys in the form
// HoldsOnlyWhatSetupWrites reads. False when the key could not be read whole.
bool ListContent(HKEY key, const TStr& prefix, TStrList& out, int depth) {
  char name[256];
  for (DWORD i = 0;; i++) {
    DWORD n = sizeof name;
    LONG rc = RegEnumValueA(key, i, name, &n, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    // A name too long for the buffer is no name the installation writes.
    if (rc != ERROR_SUCCESS || out.Count() >= kMostEntries) return false;
    out.Add(Concat(prefix.substr(0, prefix.size() ? prefix.size() - 1 : 0), "|", name));
  }
  for (DWORD i = 0;; i++) {
    DWORD n = sizeof name;
    LONG rc = RegEnumKeyExA(key, i, name, &n, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS || out.Count() >= kMostEntries || depth > 4) return false;
    TStr sub = Concat(prefix, name, "\\");
    out.Add(sub);
    HKEY child;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) return false;
    bool listed = ListContent(child, sub, out, depth + 1);
    RegCloseKey(child);
    if (!listed) return false;
  }
  return true;
}

}  // namespace

bool DeleteRegistryValue(void* root, const TStr& keyPath, const TStr& name) {
  HKEY key;
  LONG rc = RegOpenKeyExA((HKEY)root, keyPath.c_str(), 0, KEY_SET_VALUE, &key);
  if (rc == ERROR_FILE_NOT_FOUND) return true;
  if (rc != ERROR_SUCCESS) {
    SetLastError((DWORD)rc);
    return false;
  }
  rc = RegDeleteValueA(key, name.empty() ? nullptr : name.c_str());
  RegCloseKey(key);
  if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) return true;
  SetLastError((DWORD)rc);
  return false;
}

bool DeleteDefaultNaming(void* root, const TStr& keyPath, const TStr& type) {
  if (!SameTextAscii(ReadRegistryText(root, keyPath, nullptr).c_str(), type.c_str())) return true;
  return DeleteRegistryValue(root, keyPath, TStr());
}

bool DeleteKeyHoldingOnly(void* root, const TStr& keyPath, TKeyRole role) {
  if (keyPath.empty()) return false;
  HKEY key;
  LONG rc = RegOpenKeyExA((HKEY)root, keyPath.c_str(), 0, KEY_READ, &key);
  if (rc == ERROR_FILE_NOT_FOUND) return true;
  if (rc != ERROR_SUCCESS) {
    SetLastError((DWORD)rc);
    return false;
  }
  TStrList content;
  bool ours = ListContent(key, TStr(), content, 0) && HoldsOnlyWhatSetupWrites(role, content);
  RegCloseKey(key);
  if (!ours) {
    SetLastError(ERROR_DIR_NOT_EMPTY);
    return false;
  }
  return DeleteKeyTree(root, keyPath);
}
