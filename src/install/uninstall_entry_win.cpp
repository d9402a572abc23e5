#include <windows.h>

#include "install/uninstall_entry.h"
#include "package/package_layout.h"
#include "package/version_info.h"

namespace {

// Whether the file is a program image of ours: it carries the version value
// every package of ours has. Another program's file of that name is never
// replaced (and so never deleted by our uninstall later).
bool IsOurProgramImage(const TStr& path) {
  TVersionResource version(path);
  return version.Found() && !ReadVersionString(version, "kestin").empty();
}

bool CopyBytes(HANDLE in, HANDLE out, long long count) {
  char buf[2048];
  while (count > 0) {
    DWORD want = count < (long long)sizeof buf ? (DWORD)count : (DWORD)sizeof buf, got = 0, put = 0;
    if (!ReadFile(in, buf, want, &got, nullptr) || got != want) return false;
    if (!WriteFile(out, buf, got, &put, nullptr) || put != got) return false;
    count -= got;
  }
  return true;
}

// Copies the program image into a fresh file beside the target, then moves
// it over the target: the uninstaller is never left half-written.
bool WriteUninstallerFile(const TStr& packagePath, int cabinetOffset, const TStr& target, bool* created,
                          TError& err) {
  *created = false;
  bool existed = GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (existed && !IsOurProgramImage(target)) {
    err.Set(kErrorEntry, kEntryForeignFile, ERROR_FILE_EXISTS, target);
    return false;
  }
  HANDLE in = CreateFileA(packagePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) {
    err.Set(kErrorEntry, kEntryCopyFailed, GetLastError(), packagePath);
    return false;
  }
  LARGE_INTEGER size;
  long long image = GetFileSizeEx(in, &size) ? HelperLibraryStart(cabinetOffset, size.QuadPart) : -1;
  char temp[MAX_PATH];
  TStr folder = FolderPart(target);
  bool ok = false;
  if (image <= 0) {
    err.Set(kErrorEntry, kEntryCopyFailed, ERROR_BAD_FORMAT, packagePath);
  } else if (!GetTempFileNameA(folder.c_str(), "kst", 0, temp)) {
    err.Set(kErrorEntry, kEntryCopyFailed, GetLastError(), target);
  } else {
    HANDLE out = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ok = out != INVALID_HANDLE_VALUE && CopyBytes(in, out, image);
    DWORD e = GetLastError();
    if (out != INVALID_HANDLE_VALUE) ok = CloseHandle(out) && ok;
    if (ok) {
      if (existed) SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
      ok = MoveFileExA(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING);
      if (!ok) e = GetLastError();
    }
    if (!ok) {
      DeleteFileA(temp);
      err.Set(kErrorEntry, kEntryCopyFailed, e, target);
    }
  }
  CloseHandle(in);
  *created = ok && !existed;
  return ok;
}

LONG SetString(HKEY key, const char* name, const TStr& value) {
  return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
}

}  // namespace

bool WriteUninstallEntry(const TUninstallEntry& entry, const TStr& packagePath, int cabinetOffset,
                         TError& err) {
  err.Clear();
  bool createdFile = false;
  if (!WriteUninstallerFile(packagePath, cabinetOffset, entry.UninstallerPath, &createdFile, err))
    return false;
  TStr keyPath = Concat(kUninstallKey, "\\", entry.SectionName);
  HKEY key;
  DWORD disposition = 0;
  LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, &disposition);
  if (rc == ERROR_SUCCESS) {
    rc = SetString(key, "DisplayName", entry.DisplayName);
    if (rc == ERROR_SUCCESS)
      rc = SetString(key, "UninstallString", UninstallCommandLine(entry.UninstallerPath, entry.LogPath));
    if (rc == ERROR_SUCCESS)
      rc = SetString(key, "QuietUninstallString", QuietUninstallCommandLine(entry.UninstallerPath, entry.LogPath));
    RegCloseKey(key);
    if (rc == ERROR_SUCCESS) return true;
    if (disposition == REG_CREATED_NEW_KEY) RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str());
  }
  err.Set(kErrorEntry, kEntryKeyFailed, (unsigned)rc, "HKEY_LOCAL_MACHINE\\" + keyPath);
  if (createdFile) DeleteFileA(entry.UninstallerPath.c_str());
  return false;
}
