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

bool SetText(HKEY key, const char* name, const TStr& value) {
  return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1) ==
         ERROR_SUCCESS;
}

// Creates or opens `parent`\`path` and sets its default value.
bool SetKeyText(HKEY parent, const TStr& path, const TStr& value) {
  HKEY key;
  if (RegCreateKeyExA(parent, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  bool ok = SetText(key, nullptr, value);
  RegCloseKey(key);
  return ok;
}

bool AppendToLogList(TLogStore& log, const char* section, const char* word, const TStr& value) {
  TLogListWriter list(log, section, word, WalkLogList(log, section, word, nullptr, nullptr) + 1);
  return list.Append(value);
}

// True when the key has no default value or an empty text there: an
// extension without a type. Any other value is not ours to change.
bool WithoutDefault(HKEY key) {
  DWORD kind = 0, size = 0;
  LONG rc = RegQueryValueExA(key, nullptr, nullptr, &kind, nullptr, &size);
  return rc == ERROR_FILE_NOT_FOUND || (rc == ERROR_SUCCESS && size <= 1 && (kind == REG_SZ || kind == REG_EXPAND_SZ));
}

// Makes or opens the class key `path` and records it before anything in it
// changes. A key that is not there is recorded in [Created] before it is
// made, so a run killed in between leaves it named (should another program
// make it meanwhile, the uninstall still takes a class key only when
// nothing but ours is in it). One that was there is written into only when `typeToSet` is
// given: an extension without a type. The default value an extension gets,
// new or not, is recorded with `typeToSet`, so the uninstall takes it only
// while it is still that type. Null when the key is not to be written.
HKEY MakeRecordedKey(TLogStore& log, const TStr& path, const TStr* typeToSet) {
  bool existed = KeyExists(HKEY_CLASSES_ROOT, path);
  if (!existed && !AppendToLogList(log, kLogCreated, kLogKeyWord, path)) return nullptr;
  HKEY key;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      &disposition) != ERROR_SUCCESS)
    return nullptr;
  bool created = disposition == REG_CREATED_NEW_KEY;
  bool recorded = !existed || (typeToSet && WithoutDefault(key));
  if (recorded && typeToSet) {
    // The type first: an entry the uninstall finds always has its type.
    int n = WalkLogList(log, kLogExtensions, kLogDefaultWord, nullptr, nullptr) + 1;
    recorded = WriteLogValue(log, kLogExtensions, LogListKey(kLogDefaultTypeWord, n).c_str(), *typeToSet) &&
               WriteLogValue(log, kLogExtensions, LogListKey(kLogDefaultWord, n).c_str(), path);
  }
  if (recorded) return key;
  RegCloseKey(key);
  if (created) RegDeleteKeyA(HKEY_CLASSES_ROOT, path.c_str());
  return nullptr;
}

void NotSet(TInstallRun& run, const TStr& keyName) { NoteFailed(run.Host, "key set", keyName, 0); }

}  // namespace

void WriteProductKey(TInstallRun& run) {
  const TScriptValues& script = *run.Script;
  TStr root = script.Value("Registry", "Root");
  if (root.empty() || run.LogPath.empty()) return;
  HKEY rootKey = root == "LM" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  TStr section = script.Value("Registry", "Section");
  while (!section.empty() && section[0] == '\\') section = section.substr(1);
  while (!section.empty() && section.back() == '\\') section.resize(section.size() - 1);
  TStr keyName = Concat(root == "LM" ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\", section);
  // A key this run makes is recorded with the names of the values it gets
  // before it is made, so a run killed in between leaves it named. (One
  // that is there is not the product's to remove, unless an earlier run
  // into this log recorded it.) An add-on sharing the log names its key in
  // the list beside the first product's.
  TResumedLogStore log(run.LogPath, run.Host);
  static const char* const kNames[] = {"User", "Organization"};
  bool recorded = true;
  if (!KeyExists(rootKey, section)) {
    TStr loggedRoot = log.Read(kLogRegistry, kLogRoot, ""), loggedKey = log.Read(kLogRegistry, kLogSection, "");
    if (loggedRoot.empty())
      recorded = WriteLogValue(log, kLogRegistry, kLogRoot, root) && WriteLogValue(log, kLogRegistry, kLogSection, section);
    else if (loggedRoot != root || !SameTextAscii(loggedKey.c_str(), section.c_str()))
      recorded = TLogListWriter(log, kLogRegistry, kLogKeyWord).Append(Concat(root, "\\", section));
    // The value names come from the script; an empty one means the default value.
    TLogListWriter names(log, kLogRegistry, kLogValueWord);
    for (int i = 0; i < 2 && recorded; ++i) {
      TStr name = script.Value("Registry", kNames[i]);
      recorded = name.empty() ? WriteLogValue(log, kLogRegistry, kLogDefaultValue, "1") : names.Append(name);
    }
  }
  HKEY key;
  LONG rc = recorded ? RegCreateKeyExA(rootKey, section.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)
                     : ERROR_SUCCESS;
  if (rc != ERROR_SUCCESS || !recorded) {
    NoteFailed(run.Host, "key set", keyName, (unsigned)rc);
    return;
  }
  const TStr* values[] = {&run.Choices.UserName, &run.Choices.Company};
  bool set = true;
  for (int i = 0; i < 2; ++i) {
    TStr name = script.Value("Registry", kNames[i]);
    set = SetText(key, name.empty() ? nullptr : name.c_str(), *values[i]) && set;
  }
  RegCloseKey(key);
  if (set) NoteDone(run.Host, "key set", keyName);
  else NotSet(run, keyName);
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
  bool scriptType = type.empty();
  if (scriptType) {
    type = NumberedValue(script, "RegisterExt", "Type", i);
    if (type.empty()) return;
    HKEY key = MakeRecordedKey(log, ext, &type);
    bool set = key && SetText(key, nullptr, type);
    if (key) RegCloseKey(key);
    if (!set) return NotSet(run, "HKEY_CLASSES_ROOT\\" + ext);
  }
  // Another program's extension may name anything: below a name of more
  // than one step, nothing made would be one the uninstall finds as ours.
  if (type.find("\\") != TStr::npos) return;
  // A type that is there is another program's, and nothing is written into
  // it but the verb below. A missing one is made, also when an extension
  // that was there names it, so that what holds the verb is recorded too.
  if (!KeyExists(HKEY_CLASSES_ROOT, type)) {
    HKEY key = MakeRecordedKey(log, type, nullptr);
    TStr icon = ExpandInstallPath(NumberedValue(script, "RegisterExt", "FileIcon", i), run.Choices.Destination);
    bool set = key && (!scriptType || (SetText(key, nullptr, NumberedValue(script, "RegisterExt", "Desc", i)) &&
                                         SetKeyText(key, "DefaultIcon", icon) &&
                                         SetKeyText(key, "shell\\open\\command", action)));
    if (key) RegCloseKey(key);
    if (!set) return NotSet(run, "HKEY_CLASSES_ROOT\\" + type);
  }
  // Another program's verb of that name stays as it is, and is not ours to
  // remove. A verb is new, so it is recorded before it is made.
  TStr verb = Concat(type, "\\shell\\", title);
  if (KeyExists(HKEY_CLASSES_ROOT, verb)) return;
  if (AppendToLogList(log, kLogExtensions, kLogPathWord, verb) &&
      SetKeyText(HKEY_CLASSES_ROOT, verb + "\\command", action))
    NoteDone(run.Host, "key set", "HKEY_CLASSES_ROOT\\" + verb);
  else
    NotSet(run, "HKEY_CLASSES_ROOT\\" + verb);
}
