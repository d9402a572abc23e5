#include <windows.h>

#include "base/plain_path.h"
#include "base/run_program.h"
#include "uninstall/registration_command.h"
#include "uninstall/registry_undo.h"
#include "uninstall/undo_steps.h"

bool TDiskFolders::FolderExists(const TStr& folder) {
  DWORD a = GetFileAttributesA(folder.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool TDiskFolders::RemoveEmptyFolder(const TStr& folder) {
  DWORD a = GetFileAttributesA(folder.c_str());
  // Removing a junction or a folder link would leave the folder it points
  // at; but the walk's promise is to remove only empty folders of its own.
  if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY) || (a & FILE_ATTRIBUTE_REPARSE_POINT))
    return false;
  return RemoveDirectoryA(folder.c_str()) != 0;
}

bool DeleteOneFile(const TStr& path, const TStr& below) {
  TPlainResult r = DeletePlainFile(below, path);
  return r == kPathPlain || r == kPathMissing;
}

bool DeleteFolderTree(const TStr& folder) {
  DWORD a = GetFileAttributesA(folder.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return true;
  if (!(a & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (a & FILE_ATTRIBUTE_REPARSE_POINT) return RemoveDirectoryA(folder.c_str()) != 0;
  TStr base = WithBackslash(folder);
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((base + "*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    const char* name = entry.cFileName;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    TStr path = base + name;
    if (path.size() >= MAX_PATH) {
      ok = false;
      continue;
    }
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ok = DeleteFolderTree(path) && ok;
    else
      ok = DeleteOneFile(path, base) && ok;
  } while (FindNextFileA(find, &entry));
  bool listed = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(find);
  return ok && listed && RemoveDirectoryA(folder.c_str());
}

static bool DeleteKeyBelow(HKEY parent, const char* name) {
  HKEY key;
  LONG rc = RegOpenKeyExA(parent, name, 0, KEY_READ | KEY_WRITE, &key);
  if (rc == ERROR_FILE_NOT_FOUND) return true;
  if (rc == ERROR_SUCCESS) {
    DWORD count = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
      // Last first, so the indexes of the ones still to come stay valid.
      for (DWORD i = count; i-- > 0;) {
        char sub[256];
        DWORD n = sizeof sub;
        if (RegEnumKeyExA(key, i, sub, &n, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
          DeleteKeyBelow(key, sub);
      }
    }
    RegCloseKey(key);
  }
  rc = RegDeleteKeyA(parent, name);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool DeleteKeyTree(void* root, const TStr& keyPath) {
  if (keyPath.empty()) return false;  // never the root itself
  return DeleteKeyBelow((HKEY)root, keyPath.c_str());
}

static bool Unregister(const TStr& path, const TStr& systemFolder) {
  // A file that is gone has nothing left to unregister.
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  TStr line = RegistrationCommand(systemFolder, path.substr(WithBackslash(systemFolder).size()), true);
  unsigned code;
  TError error;
  // The tool's result is not examined, nor whether it could start: the file
  // itself goes next.
  RunProgram(RegistrationTool(systemFolder).c_str(), line, SW_SHOWNORMAL, true, &code, &error);
  return true;
}

// Gives the file kept at `aside` its name `path` back (both in one folder
// below `logFolder`), deleting what stands at the name first; both through
// handles checked for links, in folders held meanwhile. Nothing kept aside
// (an earlier run's that was done with, or one restored already) is no
// failure: there is nothing to bring back.
static bool RestoreAside(const TStr& path, const TStr& aside, const TStr& logFolder) {
  TPlainFolders folders;
  void* kept = nullptr;
  TPlainResult r = folders.Enter(logFolder, FolderPart(aside), false);
  if (r == kPathPlain) r = folders.Open(FileNamePart(aside), kPlainRename, &kept);
  if (r == kPathMissing) return true;
  if (r == kPathPlain) r = DeletePlainFile(logFolder, path);
  bool restored = (r == kPathPlain || r == kPathMissing) && folders.Rename(kept, FileNamePart(path));
  DWORD error = r == kPathLinked ? ERROR_CANT_ACCESS_FILE : GetLastError();
  if (kept) CloseHandle((HANDLE)kept);
  SetLastError(error);
  return restored;
}

bool RunUndoStep(const TUndoStep& step, const TStr& systemFolder, const TStr& logFolder, TDiskFolders& disk,
                 const TFolderSet& keep) {
  const TStr& t = step.Target;
  switch (step.Kind) {
    case kUndoDeleteFile:
    case kUndoDeleteShortcut: {
      bool gone = DeleteOneFile(t, step.Kind == kUndoDeleteFile ? logFolder : TStr());
      RemoveEmptyFolders(FolderPart(t), disk, keep);
      return gone;
    }
    case kUndoRestoreFile:
      return RestoreAside(t, step.Value, logFolder);
    case kUndoUnregister:
      return Unregister(t, systemFolder);
    case kUndoDeleteSysFile:
      return DeleteOneFile(t, systemFolder);
    case kUndoDeleteProductValue:
      return DeleteRegistryValue(step.LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, t, step.Value);
    case kUndoDeleteProductKey:
      return DeleteKeyHoldingOnly(step.LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, t, kKeyEmptied);
    case kUndoDeleteVerb:
    case kUndoDeleteClassKey:
      return DeleteKeyHoldingOnly(HKEY_CLASSES_ROOT, t, ClassKeyRole(step));
    case kUndoClearExtensionDefault:
      return DeleteDefaultNaming(HKEY_CLASSES_ROOT, t, step.Value);
    case kUndoRemoveEmptyFolders:
      RemoveEmptyFolders(t, disk, keep);
      return true;  // a group the user still uses is not ours to report
    case kUndoDeleteUninstallEntry:
      return DeleteKeyTree(HKEY_LOCAL_MACHINE, Concat(kUninstallListKey, "\\", t));
  }
  return false;
}
