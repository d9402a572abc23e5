#include <windows.h>

#include "base/files.h"
#include "base/plain_path.h"

namespace {

// The system calls below exist on every NT system but not in every
// kernel32.dll this program runs with, or only in ntdll.dll, which the
// program imports nothing from statically: they are looked up at run time.
const int kFileBasicInformation = 4;
const int kFileDispositionInformation = 13;
struct TIoStatus { void* Status; ULONG_PTR Information; };
struct TBasicInformation { LARGE_INTEGER Created, Accessed, Written, Changed; ULONG Attributes; };
struct TDisposition { BOOLEAN Delete; };
typedef LONG(WINAPI* SetInformationFileFn)(HANDLE, TIoStatus*, void*, ULONG, int);
typedef ULONG(WINAPI* StatusToErrorFn)(LONG);
typedef DWORD(WINAPI* FinalPathFn)(HANDLE, LPSTR, DWORD, DWORD);

bool SetFileInformation(HANDLE h, void* data, ULONG size, int kind) {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  SetInformationFileFn set = (SetInformationFileFn)(void*)GetProcAddress(ntdll, "NtSetInformationFile");
  if (!set) return false;
  TIoStatus io;
  LONG status = set(h, &io, data, size, kind);
  if (status >= 0) return true;
  StatusToErrorFn toError = (StatusToErrorFn)(void*)GetProcAddress(ntdll, "RtlNtStatusToDosError");
  SetLastError(toError ? toError(status) : ERROR_ACCESS_DENIED);
  return false;
}

bool SetAttributes(HANDLE h, DWORD attributes) {
  TBasicInformation basic;
  ZeroMemory(&basic, sizeof basic);  // zero times stay as they are
  basic.Attributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetFileInformation(h, &basic, sizeof basic, kFileBasicInformation);
}

// The path the file system reaches through the handle, or empty where the
// system cannot say (before Windows Vista there are no file links to tell).
TStr FinalPath(HANDLE h) {
  FinalPathFn get = (FinalPathFn)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                      "GetFinalPathNameByHandleA");
  char buffer[MAX_PATH * 2];
  DWORD n = get ? get(h, buffer, sizeof buffer, 0) : 0;
  return n && n < sizeof buffer ? TStr(buffer, n) : TStr();
}

// The entry's own name as its folder lists it (the long name).
TStr ListedName(const TStr& path) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA(path.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return TStr();
  FindClose(find);
  return TStr(entry.cFileName);
}

// Whether the handle reaches the entry `path` names in the folder whose
// final path is `folderFinal`, and not what a link there points at.
bool ReachesOwnEntry(HANDLE h, const TStr& path, const TStr& folderFinal) {
  TStr own = FinalPath(h);
  if (own.empty() || folderFinal.empty()) return true;
  TStr name = ListedName(path);
  return !name.empty() && own == WithBackslash(folderFinal) + name;
}

bool IsBelow(const TStr& path, const TStr& folder) {
  return !folder.empty() && path.size() > folder.size() &&
         UpperAscii(path.substr(0, folder.size())) == UpperAscii(folder);
}

}  // namespace

TPlainResult TPlainFolders::Fail(TPlainResult result, const TStr& path, unsigned systemError) {
  refused_ = path;
  systemError_ = systemError;
  return result;
}

void TPlainFolders::Release() {
  while (count_ > 0) CloseHandle((HANDLE)holds_[--count_]);
}

TPlainResult TPlainFolders::EnterLevel(const TStr& path, bool create) {
  TStr bare = path.substr(0, path.size() - 1);
  if (count_ == kMaxLevels) return Fail(kPathFailed, bare, ERROR_FILENAME_EXCED_RANGE);
  bool root = count_ == 0;
  DWORD named = GetFileAttributesA(bare.c_str());
  if (named == INVALID_FILE_ATTRIBUTES) {
    if (!create) return Fail(kPathMissing, bare, GetLastError());
    if (root ? !CreateFolders(bare, false)
             : !CreateDirectoryA(bare.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return Fail(kPathFailed, bare, GetLastError());
    named = GetFileAttributesA(bare.c_str());
  }
  if (!root && named != INVALID_FILE_ATTRIBUTES && (named & FILE_ATTRIBUTE_REPARSE_POINT))
    return Fail(kPathLinked, bare, 0);
  // Reading takes part in sharing, so leaving out delete sharing keeps the
  // folder from being renamed or replaced while it is held.
  HANDLE h = CreateFileA(bare.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Fail(kPathFailed, bare, GetLastError());
  BY_HANDLE_FILE_INFORMATION info;
  TPlainResult result = kPathPlain;
  if (!GetFileInformationByHandle(h, &info)) result = Fail(kPathFailed, bare, GetLastError());
  else if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) result = Fail(kPathFailed, bare, ERROR_DIRECTORY);
  else if (!root && ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
                     !ReachesOwnEntry(h, bare, finals_[count_ - 1])))
    result = Fail(kPathLinked, bare, 0);
  if (result != kPathPlain) {
    CloseHandle(h);
    return result;
  }
  paths_[count_] = path;
  finals_[count_] = FinalPath(h);
  holds_[count_++] = h;
  return kPathPlain;
}

TPlainResult TPlainFolders::Enter(const TStr& root, const TStr& folder, bool create) {
  TStr base = WithBackslash(root), target = WithBackslash(folder);
  if (base.empty() || !(target == base || IsBelow(target, base))) return Fail(kPathFailed, folder, ERROR_BAD_PATHNAME);
  // Keep the held levels the new folder shares: the root and the folders on
  // its way.
  int keep = 0;
  while (keep < count_ && (keep > 0 || paths_[0] == base) && target.substr(0, paths_[keep].size()) == paths_[keep])
    keep++;
  while (count_ > keep) CloseHandle((HANDLE)holds_[--count_]);
  if (count_ == 0) {
    TPlainResult r = EnterLevel(base, create);
    if (r != kPathPlain) return r;
  }
  for (size_t i = paths_[count_ - 1].size(); i < target.size(); i++) {
    if (target[i] != '\\') continue;
    TPlainResult r = EnterLevel(target.substr(0, i + 1), create);
    if (r != kPathPlain) return r;
  }
  return kPathPlain;
}

TPlainResult TPlainFolders::Open(const TStr& name, TPlainAccess access, void** handle) {
  *handle = nullptr;
  if (count_ == 0) return Fail(kPathFailed, name, ERROR_INVALID_FUNCTION);
  TStr path = paths_[count_ - 1] + name;
  DWORD named = GetFileAttributesA(path.c_str());
  if (named != INVALID_FILE_ATTRIBUTES && (named & FILE_ATTRIBUTE_REPARSE_POINT)) return Fail(kPathLinked, path, 0);
  if (named != INVALID_FILE_ATTRIBUTES && (named & FILE_ATTRIBUTE_DIRECTORY))
    return Fail(kPathFailed, path, ERROR_DIRECTORY);
  bool write = access == kPlainWrite || access == kPlainAppend;
  // A missing file is created new: a dangling link at its name makes that
  // fail instead of creating the file the link points at.
  bool created = write && named == INVALID_FILE_ATTRIBUTES;
  DWORD rights = access == kPlainWrite    ? GENERIC_READ | GENERIC_WRITE | DELETE
                 : access == kPlainAppend ? FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | DELETE
                 : access == kPlainRead   ? GENERIC_READ
                                          : DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
  if (access == kPlainReadThenDelete) rights |= GENERIC_READ;
  DWORD disposition = created ? CREATE_NEW : OPEN_EXISTING;
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
  HANDLE h = CreateFileA(path.c_str(), rights, FILE_SHARE_READ, nullptr, disposition, flags, nullptr);
  DWORD error = GetLastError();
  if (h == INVALID_HANDLE_VALUE && !created && access == kPlainWrite && error == ERROR_ACCESS_DENIED &&
      (named & FILE_ATTRIBUTE_READONLY)) {
    // A read-only file from an earlier run must not block the new copy; its
    // bit is cleared through a handle checked like the one that follows.
    void* clear = nullptr;
    TPlainResult r = Open(name, kPlainDelete, &clear);
    if (r != kPathPlain) return r;
    SetAttributes((HANDLE)clear, named & ~FILE_ATTRIBUTE_READONLY);
    CloseHandle((HANDLE)clear);
    h = CreateFileA(path.c_str(), rights, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr);
    error = GetLastError();
  }
  if (h == INVALID_HANDLE_VALUE) {
    if (created && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)) return Fail(kPathLinked, path, 0);
    return Fail(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? kPathMissing : kPathFailed, path,
                error);
  }
  BY_HANDLE_FILE_INFORMATION info;
  TPlainResult result = kPathPlain;
  if (!GetFileInformationByHandle(h, &info)) result = Fail(kPathFailed, path, GetLastError());
  else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || (write && info.nNumberOfLinks > 1) ||
           !ReachesOwnEntry(h, path, finals_[count_ - 1]))
    result = Fail(kPathLinked, path, 0);
  else if (access == kPlainWrite && (SetFilePointer(h, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER || !SetEndOfFile(h)))
    result = Fail(kPathFailed, path, GetLastError());
  if (result != kPathPlain) {
    if (created) DeleteThroughHandle(h);
    CloseHandle(h);
    return result;
  }
  *handle = h;
  return kPathPlain;
}

bool SetAttributesThroughHandle(void* handle, unsigned attributes) { return SetAttributes((HANDLE)handle, attributes); }

bool DeleteThroughHandle(void* handle) {
  HANDLE h = (HANDLE)handle;
  BY_HANDLE_FILE_INFORMATION info;
  bool readOnly = GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
  if (readOnly && !SetAttributes(h, info.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY)) return false;
  TDisposition d = {TRUE};
  if (SetFileInformation(h, &d, sizeof d, kFileDispositionInformation)) return true;
  DWORD error = GetLastError();
  if (readOnly) SetAttributes(h, info.dwFileAttributes);  // the file stays as it was
  SetLastError(error);
  return false;
}

TPlainResult DeletePlainFile(const TStr& root, const TStr& path, TStr* refused, unsigned* systemError) {
  TStr folder = FolderPart(path);
  TPlainFolders folders;
  TPlainResult r = folders.Enter(IsBelow(path, WithBackslash(root)) ? root : folder, folder, false);
  void* h = nullptr;
  if (r == kPathPlain) r = folders.Open(FileNamePart(path), kPlainDelete, &h);
  *refused = folders.Refused();
  *systemError = folders.SystemError();
  if (r != kPathPlain) return r;
  if (!DeleteThroughHandle(h)) {
    *refused = path;
    *systemError = GetLastError();
    r = kPathFailed;
  }
  CloseHandle((HANDLE)h);
  return r;
}
