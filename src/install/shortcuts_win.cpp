#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "base/files.h"
#include "install/placeholders.h"
#include "install/shortcuts.h"
#include "script/profile_values.h"
#include "uninstall/profile_log_store.h"

namespace {

// The shell link object and its interfaces, written out so no import
// library of GUIDs is needed.
const CLSID kShellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kShellLinkA = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kPersistFile = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

TStr ShellFolder(int csidl) {
  TStr path;
  LPITEMIDLIST list = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) && list) {
    char buf[MAX_PATH];
    if (SHGetPathFromIDListA(list, buf)) path = buf;
    CoTaskMemFree(list);
  }
  return path;
}

TStr WithoutBackslash(const TStr& folder) {
  TStr f = folder;
  while (f.size() > 3 && f.back() == '\\') f.resize(f.size() - 1);
  return f;
}

bool Listed(const TStrList& list, const TStr& s) {
  for (int i = 0; i < list.Count(); ++i)
    if (SameTextAscii(list[i].c_str(), s.c_str())) return true;
  return false;
}

// Creates `folder` below `base` and remembers each level this run made.
bool MakeFolder(TInstallRun& run, const TStr& base, const TStr& folder) {
  TStr path = WithBackslash(folder);
  for (size_t i = base.size() + 1; i < path.size(); ++i) {
    if (path[i] != '\\') continue;
    TStr level = path.substr(0, i);
    if (FolderExists(level)) continue;
    if (!CreateDirectoryA(level.c_str(), nullptr)) return false;
    run.CreatedFolders.Add(level);
  }
  return true;
}

bool SaveLink(const TStr& linkPath, const TStr& target, const TStr& arguments, const TStr& workDir,
              const TStr& icon, int iconIndex, const TStr& description) {
  bool saved = false;
  HRESULT init = CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(kShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, kShellLinkA,
                                 (void**)&link)) &&
      link) {
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    link->SetShowCmd(SW_SHOWNORMAL);
    link->SetWorkingDirectory(workDir.c_str());
    link->SetIconLocation(icon.c_str(), iconIndex);
    link->SetDescription(description.c_str());
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(kPersistFile, (void**)&file)) && file) {
      WCHAR wide[MAX_PATH];
      if (MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH))
        saved = SUCCEEDED(file->Save(wide, FALSE));
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return saved;
}

}  // namespace

TStr ShortcutBaseFolder(TShortcutKind kind, const TStr& group) {
  if (kind == kDesktopShortcuts) return ShellFolder(CSIDL_DESKTOPDIRECTORY);
  TStr programs = ShellFolder(CSIDL_PROGRAMS);
  if (programs.empty() || group.empty()) return programs;
  return WithBackslash(programs) + group;
}

void CreateShortcuts(TInstallRun& run, TShortcutKind kind, const TStr& baseOverride) {
  const TScriptValues& script = *run.Script;
  const TStr& group = run.Choices.Group;
  if (run.LogPath.empty()) return;
  if (kind == kProgramShortcuts && !group.empty() && !StaysInsideFolder(group)) return;
  // The folder a shortcut may never be removed with: the desktop or the
  // programs folder itself.
  TStr shared = baseOverride.empty() ? ShortcutBaseFolder(kind, TStr()) : baseOverride;
  if (shared.empty()) return;
  TStr base = shared;
  if (kind == kProgramShortcuts && !group.empty()) base = WithBackslash(shared) + group;
  // A group the user picked from the existing ones is not this installation's.
  if (kind == kProgramShortcuts && run.Choices.GroupExisted) shared = base;

  const char* suffix = kind == kDesktopShortcuts ? "_Dsk" : "_Prg";
  TPlaceholderValues places{run.WindowsFolder, run.Choices.Destination, run.LogName};
  TProfileLogStore log(run.LogPath);
  for (int k = 1; k <= run.Choices.ComponentCount && k <= kMaxOptions; ++k) {
    if (!run.Choices.ComponentChecks[k - 1]) continue;
    TStr section = script.Value("Options", Concat("Option", IntToStr(k), suffix).c_str());
    if (section.empty()) continue;
    const char* s = section.c_str();
    TStr subgroup = script.Value(s, "Subgroup");
    if (!subgroup.empty() && !StaysInsideFolder(subgroup)) continue;
    TStr folder = subgroup.empty() ? base : WithBackslash(base) + subgroup;
    for (int n = 1;; ++n) {
      TStr num = IntToStr(n);
      TStr name = script.Value(s, ("Name" + num).c_str());
      if (name.empty()) break;
      if (!IsPlainFileName(name)) continue;
      TStr target, arguments, icon;
      int iconIndex = 0;
      SplitTargetArguments(ResolveScriptPath(script.Value(s, ("File" + num).c_str()), places), &target, &arguments);
      SplitIconReference(ResolveScriptPath(script.Value(s, ("Icon" + num).c_str()), places), &icon, &iconIndex);
      TStr linkPath = Concat(WithBackslash(folder), name, ".lnk");
      if (!MakeFolder(run, WithoutBackslash(shared), folder)) continue;
      if (!SaveLink(linkPath, target, arguments, WorkingFolderOf(target), icon, iconIndex,
                    script.Value(s, ("Desc" + num).c_str()))) {
        NoteFailed(run.Observer, "shortcut made", linkPath, GetLastError());
        continue;
      }
      NoteDone(run.Observer, "shortcut made", linkPath);
      if (run.ShortcutCount == 0) WriteLogValue(log, kLogShortcuts, kLogGroup, group);
      ++run.ShortcutCount;
      WriteLogValue(log, kLogShortcuts, LogListKey(kLogLinkWord, run.ShortcutCount).c_str(), linkPath);
      bool removable = ProfileInteger(script.Value(s, ("RmDir" + num).c_str()), 0) != 0 &&
                       !SameTextAscii(WithoutBackslash(folder).c_str(), WithoutBackslash(shared).c_str()) &&
                       Listed(run.CreatedFolders, WithoutBackslash(folder));
      WriteLogValue(log, kLogShortcuts, LogListKey(kLogRmDirWord, run.ShortcutCount).c_str(),
                    removable ? "1" : "0");
    }
  }
}
