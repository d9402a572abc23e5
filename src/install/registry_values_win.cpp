#include <windows.h>

#include "install/placeholders.h"
#include "install/registry_values.h"
#include "install/durable_log_store.h"
#include "uninstall/registry_text.h"

namespace {

bool KeyExists(HKEY root, const TStr& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Creates or opens the key and sets its default value. `created` tells whether the key is new.
bool SetValue(HKEY root, const TStr& path, const TStr& value, bool* created = nullptr) {
  HKEY key;
  DWORD disposition = 0;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition) !=
      ERROR_SUCCESS)
    return false;
  if (created) *created = disposition == REG_CREATED_NEW_KEY;
  bool ok = RegSetValueExA(key, nullptr, 0, REG_SZ, (const BYTE*)value.c_str(),
                           (DWORD)value.size() + 1) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

void AppendToLogList(TLogStore& log, const char* section, const char* word, const TStr& value) {
  TLogListWriter list(log, section, word, WalkLogList(log, section, word, nullptr, nullptr) + 1);
  list.Append(value);
}

}  // namespace

void WriteProductKey(TInstallRun& run) {
  const TScriptValues& script = *run.Script;
  TStr root = script.Value("Registry", "Root");
  if (root.empty() || run.LogPath.empty()) return;
  HKEY rootKey = root == "LM" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  TStr section = script.Value("Registry", "Section");
  while (!section.empty() && section[0] == '\\') section = section.substr(1);
  while (!section.empty() && section.back() == '\\') section.resize(section.size() - 1);
  HKEY key;
  DWORD disposition = 0;
  TStr keyName = Concat(root == "LM" ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\", section);
  LONG rc = RegCreateKeyExA(rootKey, section.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition);
  if (rc != ERROR_SUCCESS) {
    NoteFailed(run.Host, "key set", keyName, (unsigned)rc);
    return;
  }
  bool created = disposition == REG_CREATED_NEW_KEY;
  TResumedLogStore log(run.LogPath, run.Host);
  if (created) {
    WriteLogValue(log, kLogRegistry, kLogRoot, root);
    WriteLogValue(log, kLogRegistry, kLogSection, section);
  }
  // The value names come from the script; an empty one means the default
  // value. Each is recorded before it is written, so the uninstall knows
  // every value of the key that is the product's.
  static const char* const kNames[] = {"User", "Organization"};
  const TStr* values[] = {&run.Choices.UserName, &run.Choices.Company};
  TLogListWriter names(log, kLogRegistry, kLogValueWord);
  for (int i = 0; i < 2; ++i) {
    TStr name = script.Value("Registry", kNames[i]);
    if (created && name.empty()) WriteLogValue(log, kLogRegistry, kLogDefaultValue, "1");
    if (created && !name.empty()) names.Append(name);
    RegSetValueExA(key, name.empty() ? nullptr : name.c_str(), 0, REG_SZ, (const BYTE*)values[i]->c_str(),
                   (DWORD)values[i]->size() + 1);
  }
  RegCloseKey(key);
  NoteDone(run.Host, "key set", keyName);
}

void WriteAssociation(TInstallRun& run, int i) {
  const TScriptValues& script = *run.Script;
  if (run.LogPath.empty()) return;
  TStr ext = NumberedValue(script, "RegisterExt", "Ext", i);
  TStr title = NumberedValue(script, "RegisterExt", "ActionTitle", i);
  TStr action = ExpandInstallPath(NumberedValue(script, "RegisterExt", "Action", i), run.Choices.Destination);
  if (ext.empty() || title.empty()) return;
  TResumedLogStore log(run.LogPath, run.Host);

  TStr type = ReadRegistryText(HKEY_CLASSES_ROOT, ext, nullptr);
  if (type.empty()) {
    type = NumberedValue(script, "RegisterExt", "Type", i);
    if (type.empty()) return;
    bool createdExt = false;
    if (!SetValue(HKEY_CLASSES_ROOT, ext, type, &createdExt)) return;
    if (createdExt) AppendToLogList(log, kLogCreated, kLogKeyWord, ext);
    if (!KeyExists(HKEY_CLASSES_ROOT, type)) {
      bool createdType = false;
      if (!SetValue(HKEY_CLASSES_ROOT, type, NumberedValue(script, "RegisterExt", "Desc", i), &createdType))
        return;
      if (createdType) AppendToLogList(log, kLogCreated, kLogKeyWord, type);
      TStr icon = ExpandInstallPath(NumberedValue(script, "RegisterExt", "FileIcon", i), run.Choices.Destination);
      SetValue(HKEY_CLASSES_ROOT, type + "\\DefaultIcon", icon);
      SetValue(HKEY_CLASSES_ROOT, type + "\\shell\\open\\command", action);
    }
  }
  // Another program's verb of that name stays as it is, and is not ours to
  // remove.
  TStr verb = Concat(type, "\\shell\\", title);
  if (KeyExists(HKEY_CLASSES_ROOT, verb)) return;
  if (SetValue(HKEY_CLASSES_ROOT, verb + "\\command", action)) {
    AppendToLogList(log, kLogExtensions, kLogPathWord, verb);
    NoteDone(run.Host, "key set", "HKEY_CLASSES_ROOT\\" + verb);
  } else {
    NoteFailed(run.Host, "key set", "HKEY_CLASSES_ROOT\\" + verb, GetLastError());
  }
}
