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

bool IsPlainName(const TStr& name) {
  return IsContainedName(name) && name.find("\\") == TStr::npos && name.find("/") == TStr::npos;
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

// True when `keyPath` or one of the keys above it is in `list`.
static bool InListOrBelow(const char* list, const TStr& keyPath) {
  for (size_t cut = keyPath.find("\\"); cut != TStr::npos; cut = keyPath.find("\\", cut + 1))
    if (InList(list, keyPath.substr(0, cut).c_str())) return true;
  return InList(list, keyPath.c_str());
}

bool IsProductKeyPath(const TStr& keyPath) {
  // Trees whose keys hold the system's settings or every program's, whatever
  // the root: no key in them is a product's own.
  static const char kSystemTrees[] =
      "Software\\Classes\0" "Software\\Microsoft\0" "Software\\Policies\0" "Software\\Wow6432Node\\Classes\0"
      "Software\\Wow6432Node\\Microsoft\0" "Software\\Wow6432Node\\Policies\0" "System\0" "Hardware\0" "SAM\0"
      "Security\0" "Control Panel\0" "Environment\0" "AppEvents\0" "Console\0" "Keyboard Layout\0"
      "Network\0" "Printers\0" "Identities\0" "Volatile Environment\0";
  return WellFormedKeyPath(keyPath) && !SameTextAscii(keyPath.c_str(), "Software") &&
         !SameTextAscii(keyPath.c_str(), "Software\\Wow6432Node") && !InListOrBelow(kSystemTrees, keyPath);
}

// File types and class keys the system itself relies on.
static const char kSystemClassKeys[] =
    "*\0" "AllFilesystemObjects\0" "AppID\0" "CLSID\0" "Directory\0" "Drive\0" "Folder\0" "Installer\0"
    "Interface\0" "TypeLib\0" "Unknown\0" "exefile\0" "comfile\0" "batfile\0" "cmdfile\0" "lnkfile\0"
    "piffile\0" "scrfile\0" "regfile\0" "dllfile\0" "inffile\0" "Msi.Package\0" ".exe\0" ".com\0"
    ".bat\0" ".cmd\0" ".lnk\0" ".pif\0" ".scr\0" ".reg\0" ".dll\0" ".inf\0" ".msi\0";

bool IsVerbKeyPath(const TStr& keyPath) {
  static const char kStandardVerbs[] =
      "open\0" "opennew\0" "edit\0" "print\0" "printto\0" "explore\0" "find\0" "runas\0" "openas\0"
      "play\0" "preview\0" "properties\0";
  if (!WellFormedKeyPath(keyPath) || CountSteps(keyPath) != 3) return false;
  size_t first = keyPath.find("\\");
  size_t second = keyPath.find("\\", first + 1);
  TStr type = keyPath.substr(0, first);
  return SameTextAscii(keyPath.substr(first + 1, second - first - 1).c_str(), "shell") &&
         !InList(kSystemClassKeys, type.c_str()) && !InList(kStandardVerbs, keyPath.substr(second + 1).c_str());
}

bool IsCreatedClassKey(const TStr& keyName) {
  // Present on every system, so never created by an installation.
  static const char kCommonTypes[] =
      "txtfile\0" "htmlfile\0" "inifile\0" "http\0" "https\0" "ftp\0" "mailto\0" "file\0" "xmlfile\0"
      "jpegfile\0" "giffile\0" "pngfile\0" ".txt\0" ".ini\0" ".htm\0" ".html\0" ".xml\0" ".jpg\0" ".gif\0"
      ".png\0";
  return WellFormedKeyPath(keyName) && CountSteps(keyName) == 1 &&
         !InList(kSystemClassKeys, keyName.c_str()) && !InList(kCommonTypes, keyName.c_str());
}

bool IsExtensionDefault(const TStr& ext, const TStr& type) {
  return IsCreatedClassKey(ext) && ext[0] == '.' && WellFormedKeyPath(type) && CountSteps(type) == 1 &&
         type[0] != '.';
}

bool HoldsOnlyWhatSetupWrites(TKeyRole role, const TStrList& content) {
  static const char kVerb[] = "command\\\0" "command|\0";
  static const char kExtension[] = "|\0";
  static const char kType[] = "|\0" "DefaultIcon\\\0" "DefaultIcon|\0" "shell\\\0" "shell\\open\\\0"
                              "shell\\open\\command\\\0" "shell\\open\\command|\0";
  const char* allowed = role == kKeyAddedVerb ? kVerb : role == kKeyExtension ? kExtension
                        : role == kKeyFileType ? kType : "";
  for (int i = 0; i < content.Count(); i++)
    if (!InList(allowed, content[i].c_str())) return false;
  return true;
}

bool IsUninstallEntryName(const TStr& name) {
  return WellFormedKeyPath(name) && CountSteps(name) == 1;
}

bool MayBeCut(const TStr& value) { return value.size() >= (size_t)kLogValueMax; }
