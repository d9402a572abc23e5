#include <windows.h>

#include <stddef.h>

#include "base/plain_path.h"

namespace {

// The system calls below exist on every NT system but not in every
// kernel32.dll this program runs with, or only in ntdll.dll, which the
// program imports nothing from statically: they are looked up at run time.
struct TIoStatus { void* Status; ULONG_PTR Information; };
typedef LONG(WINAPI* SetInformationFileFn)(HANDLE, TIoStatus*, void*, ULONG, int);
typedef ULONG(WINAPI* StatusToErrorFn)(LONG);
typedef DWORD(WINAPI* FinalPathFn)(HANDLE, LPSTR, DWORD, DWORD);

bool SetFileInformation(HANDLE h, void* data, ULONG size, int kind) {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  SetInformationFileFn set = (SetInformationFileFn)(void*)GetProcAddress(ntdll, "NtSetInformationFile");
  TIoStatus io;
  LONG status = set ? set(h, &io, data, size, kind) : -1;
  if (status >= 0) return true;
  StatusToErrorFn toError = (StatusToErrorFn)(void*)GetProcAddress(ntdll, "RtlNtStatusToDosError");
  SetLastError(toError && set ? toError(status) : ERROR_ACCESS_DENIED);
  return false;
}

// The path the file system reaches through the handle into `out` (2 *
// MAX_PATH characters); false where the system cannot say (before Windows
// Vista there are no file links to tell).
bool FinalPath(HANDLE h, char* out) {
  FinalPathFn get = (FinalPathFn)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                      "GetFinalPathNameByHandleA");
  DWORD n = get ? get(h, out, 2 * MAX_PATH, 0) : 0;
  return n && n < 2 * MAX_PATH;
}

}  // namespace

bool SetAttributesThroughHandle(void* handle, unsigned attributes) {
  struct { LARGE_INTEGER Created, Accessed, Written, Changed; ULONG Attributes; } basic;
  ZeroMemory(&basic, sizeof basic);  // zero times stay as they are
  basic.Attributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetFileInformation((HANDLE)handle, &basic, sizeof basic, 4 /* FileBasicInformation */);
}

bool DeleteThroughHandle(void* handle) {
  BY_HANDLE_FILE_INFORMATION info;
  bool readOnly = GetFileInformationByHandle((HANDLE)handle, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
  if (readOnly && !SetAttributesThroughHandle(handle, info.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY)) return false;
  BOOLEAN disposition = TRUE;
  if (SetFileInformation((HANDLE)handle, &disposition, sizeof disposition, 13 /* FileDispositionInformation */))
    return true;
  DWORD error = GetLastError();
  if (readOnly) SetAttributesThroughHandle(handle, info.dwFileAttributes);  // the file stays as it was
  SetLastError(error);
  return false;
}

bool RenameThroughHandle(void* handle, void* folder, const wchar_t* name, unsigned length) {
  // FileRenameInformation: the new name relative to the folder's handle.
  struct { BOOLEAN ReplaceIfExists; HANDLE RootDirectory; ULONG FileNameLength; WCHAR FileName[MAX_PATH]; } info;
  if (length > MAX_PATH) length = MAX_PATH;
  info.ReplaceIfExists = FALSE;
  info.RootDirectory = (HANDLE)folder;
  info.FileNameLength = (ULONG)(length * sizeof(WCHAR));
  CopyMemory(info.FileName, name, info.FileNameLength);
  return SetFileInformation((HANDLE)handle, &info, (ULONG)(offsetof(decltype(info), FileName) + info.FileNameLength),
                            10 /* FileRenameInformation */);
}

TPlainResult CheckPlainEntry(void* handle, const char* path, bool folder, bool oneName) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle((HANDLE)handle, &info)) return kPathFailed;
  DWORD named = GetFileAttributesA(path);
  if (((info.dwFileAttributes | named) & FILE_ATTRIBUTE_REPARSE_POINT) || named == INVALID_FILE_ATTRIBUTES ||
      (oneName && info.nNumberOfLinks > 1))
    return kPathLinked;
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == folder) {
    SetLastError(folder ? ERROR_DIRECTORY : ERROR_ACCESS_DENIED);
    return kPathFailed;
  }
  // The handle must reach its folder's entry of that name: compared as the
  // file system spells both (the long name, as the folder lists it). Plain
  // buffers, as the release's loader checks its log this way too.
  char own[2 * MAX_PATH], expected[2 * MAX_PATH + MAX_PATH];
  if (!FinalPath((HANDLE)handle, own)) return kPathPlain;
  lstrcpynA(expected, path, 2 * MAX_PATH);
  char* cut = expected;
  for (char* p = expected; *p; p++)
    if (*p == '\\') cut = p;
  cut[cut == expected ? 0 : 1] = 0;  // the parent, with its backslash
  HANDLE parent = CreateFileA(expected, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA(path, &entry);
  bool same = parent != INVALID_HANDLE_VALUE && find != INVALID_HANDLE_VALUE && FinalPath(parent, expected);
  if (same) {
    size_t n = lstrlenA(expected);
    if (expected[n - 1] != '\\') expected[n++] = '\\';
    lstrcpynA(expected + n, entry.cFileName, MAX_PATH);
    same = lstrcmpA(own, expected) == 0;
  }
  if (parent != INVALID_HANDLE_VALUE) CloseHandle(parent);
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  return same ? kPathPlain : kPathLinked;
}
