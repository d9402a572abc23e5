#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "base/files.h"
#include "base/shell_folders.h"
#include "install/placeholders.h"
#include "install/shortcuts.h"
#include "base/profile_values.h"
#include "install/durable_log_store.h"

namespace {

// The shell link object and its interfaces, written out so no import
// library of GUIDs is needed.
const CLSID kShellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kShellLinkA = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kPersistFile = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};


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

// Creates `folder` below `base`. Each level this run makes is recorded
// first (FolderN, after those of earlier runs into the same log), so the
// uninstall may remove it. False when a level could be neither, with the system's error
// in `error` (0 when the log refused).
bool MakeFolder(TInstallRun& run, TLogStore& log, const TStr& base, const TStr& folder, unsigned* error) {
  TStr path = WithBackslash(folder);
  *error = 0;
  for (size_t i = base.size() + 1; i < path.size(); ++i) {
    if (path[i] != '\\') continue;
    TStr level = path.substr(0, i);
    if (FolderExists(level)) continue;
    if (!TLogListWriter(log, kLogShortcuts, kLogFolderWord).Append(level)) return false;
    run.CreatedFolders.Add(level);
    if (!CreateDirectoryA(level.c_str(), nullptr)) {
      *error = GetLastError();
      return false;
    }
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
  if (kind == kDesktopShortcuts) return GetSpecialFolder(CSIDL_DESKTOPDIRECTORY);
  TStr programs = GetSpecialFolder(CSIDL_PROGRAMS);
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

  TStr sharedBare = WithoutBackslash(shared);
  const char* suffix = kind == kDesktopShortcuts ? "_Dsk" : "_Prg";
  TPlaceholderValues places{run.WindowsFolder, run.Choices.Destination, run.LogName};
  TResumedLogStore log(run.LogPath, run.Host);
  for (int k = 1; k <= run.Choices.ComponentCount && k <= kMaxOptions; ++k) {
    if (!run.Choices.ComponentChecks[k - 1]) continue;
    TStr section = script.Value("Options", Concat("Option", IntToStr(k), suffix).c_str());
    if (section.empty()) continue;
    const char* s = section.c_str();
    TStr subgroup = script.Value(s, "Subgroup");
    if (!subgroup.empty() && !StaysInsideFolder(subgroup)) continue;
    TStr folder = subgroup.empty() ? base : WithBackslash(base) + subgroup;
    TStr folderBare = WithoutBackslash(folder);
    for (int n = 1;; ++n) {
      TStr name = NumberedValue(script, s, "Name", n);
      if (name.empty()) break;
      if (!IsPlainFileName(name)) continue;
      TStr target, arguments, icon;
      int iconIndex = 0;
      SplitTargetArguments(ResolveScriptPath(NumberedValue(script, s, "File", n), places), &target, &arguments);
      SplitIconReference(ResolveScriptPath(NumberedValue(script, s, "Icon", n), places), &icon, &iconIndex);
      TStr linkPath = Concat(WithBackslash(folder), name, ".lnk");
      unsigned error;
      if (!MakeFolder(run, log, sharedBare, folder, &error)) {
        NoteFailed(run.Host, "shortcut made", linkPath, error);
        continue;
      }
      bool removable = ProfileInteger(NumberedValue(script, s, "RmDir", n), 0) != 0 &&
                       !SameTextAscii(folderBare.c_str(), sharedBare.c_str()) &&
                       Listed(run.CreatedFolders, folderBare);
      // Recorded before it is made: a link the log cannot name is not made.
      // The group stays the one the first run into the log named; links go
      // on after (or find themselves among) those of earlier runs.
      static const char kAbsent[] = "\x01";
      TLogListWriter links(log, kLogShortcuts, kLogLinkWord);
      bool recorded = (log.Read(kLogShortcuts, kLogGroup, kAbsent) != kAbsent ||
                       WriteLogValue(log, kLogShortcuts, kLogGroup, group)) &&
                      links.Append(linkPath);
      if (!recorded || !WriteLogValue(log, kLogShortcuts, LogListKey(kLogRmDirWord, links.Last()).c_str(),
                                      removable ? "1" : "0")) {
        NoteFailed(run.Host, "shortcut made", linkPath, 0);
        continue;
      }
      if (SaveLink(linkPath, target, arguments, WorkingFolderOf(target), icon, iconIndex,
                   NumberedValue(script, s, "Desc", n)))
        NoteDone(run.Host, "shortcut made", linkPath);
      else
        NoteFailed(run.Host, "shortcut made", linkPath, GetLastError());
    }
  }
}
