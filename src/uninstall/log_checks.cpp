#include "uninstall/log_checks.h"

#include <string.h>

#include "uninstall/folder_walk.h"
#include "uninstall/uninstall_log.h"

// `list` holds names one after another, each ended by a zero byte, and an
// empty name after the last: no table of pointers to relocate.
static bool InList(const char* list, const char* text) {
  for (; *list; list += strlen(list) + 1)
    if (SameTextAscii(list, text)) return true;
  return false;
}

// Steps separated by single backslashes, each non-empty.
static bool WellFormedKeyPath(const TStr& keyPath) {
  if (keyPath.empty() || keyPath.size() > kUndoPathMax) return false;
  if (keyPath[0] == '\\' || keyPath.back() == '\\') return false;
  for (size_t i = 0; i + 1 < keyPath.size(); i++)
    if (keyPath[i] == '\\' && keyPath[i + 1] == '\\') return false;
  for (size_t i = 0; i < keyPath.size(); i++)
    if ((unsigned char)keyPath[i] < 32) return false;
  return true;
}

static int CountSteps(const TStr& keyPath) {
  int steps = 1;
  for (size_t i = 0; i < keyPath.size(); i++)
    if (keyPath[i] == '\\') steps++;
  return steps;
}

bool IsContainedName(const TStr& name) {
  if (name.empty() || name.size() > kUndoPathMax) return false;
  if (name[0] == '\\' || name[0] == '/' || name.back() == '\\' || name.back() == '/') return false;
  for (size_t i = 0; i < name.size(); i++) {
    unsigned char c = (unsigned char)name[i];
    if (c < 32 || strchr(":*?\"<>|", c)) return false;
    bool separator = c == '\\' || c == '/';
    if (separator && i + 1 < name.size() && (name[i + 1] == '\\' || name[i + 1] == '/')) return false;
  }
  return !HasDotStep(name);
}

bool IsFullFilePath(const TStr& path) {
  if (path.size() > kUndoPathMax) return false;
  TStr rest;
  if (path.size() > 3 && path[1] == ':' && path[2] == '\\') {
    char drive = AsciiUpper(path[0]);
    if (drive < 'A' || drive > 'Z') return false;
    rest = path.substr(3);
  } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    rest = path.substr(2);  // server\share\... ; "?" and "." fail the name rule
  } else {
    return false;
  }
  return IsContainedName(rest);
}

bool IsProductKeyPath(const TStr& keyPath) {
  // Keys whose removal would take other programs' settings or the system's
  // own with them, whatever the root.
  static const char kSystemKeys[] =
      "Software\0" "Software\\Classes\0" "Software\\Microsoft\0" "Software\\Microsoft\\Windows\0"
      "Software\\Microsoft\\Windows\\CurrentVersion\0"
      "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\0" "Software\\Microsoft\\Windows NT\0"
      "Software\\Microsoft\\Windows NT\\CurrentVersion\0" "Software\\Policies\0"
      "Software\\Wow6432Node\0" "System\0" "System\\CurrentControlSet\0" "Hardware\0" "SAM\0"
      "Security\0" "Control Panel\0" "Environment\0" "AppEvents\0" "Console\0" "Keyboard Layout\0"
      "Network\0" "Printers\0" "Identities\0" "Volatile Environment\0";
  return WellFormedKeyPath(keyPath) && !InList(kSystemKeys, keyPath.c_str());
}

// File types and class keys the system itself relies on.
static const char kSystemClassKeys[] =
    "*\0" "AllFilesystemObjects\0" "AppID\0" "CLSID\0" "Directory\0" "Drive\0" "Folder\0" "Installer\0"
    "Interface\0" "TypeLib\0" "Unknown\0" "exefile\0" "comfile\0" "batfile\0" "cmdfile\0" "lnkfile\0"
    "piffile\0" "scrfile\0" "regfile\0" "dllfile\0" "inffile\0" "Msi.Package\0" ".exe\0" ".com\0"
    ".bat\0" ".cmd\0" ".lnk\0" ".pif\0" ".scr\0" ".reg\0" ".dll\0" ".inf\0" ".msi\0";

bool IsVerbKeyPath(const TStr& keyPath) {
  if (!WellFormedKeyPath(keyPath) || CountSteps(keyPath) != 3) return false;
  size_t first = keyPath.find("\\");
  size_t second = keyPath.find("\\", first + 1);
  TStr type = keyPath.substr(0, first);
  return SameTextAscii(keyPath.substr(first + 1, second - first - 1).c_str(), "shell") &&
         !InList(kSystemClassKeys, type.c_str());
}

bool IsCreatedClassKey(const TStr& keyName) {
  return WellFormedKeyPath(keyName) && CountSteps(keyName) == 1 &&
         !InList(kSystemClassKeys, keyName.c_str());
}

bool IsUninstallEntryName(const TStr& name) {
  return WellFormedKeyPath(name) && CountSteps(name) == 1;
}

bool MayBeCut(const TStr& value) { return value.size() >= (size_t)kLogValueMax; }
