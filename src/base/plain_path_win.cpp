#include <windows.h>

#include "base/files.h"
#include "base/plain_path.h"

static bool IsBelow(const TStr& path, const TStr& folder) {
  return !folder.empty() && path.size() > folder.size() &&
         UpperAscii(path.substr(0, folder.size())) == UpperAscii(folder);
}

TPlainResult TPlainFolders::Fail(TPlainResult result, const TStr& path) {
  refused_ = path;
  systemError_ = result == kPathLinked ? 0 : GetLastError();
  return result;
}

void TPlainFolders::Release() {
  while (count_ > 0) CloseHandle((HANDLE)holds_[--count_]);
}

TPlainResult TPlainFolders::Enter(const TStr& root, const TStr& folder, bool create) {
  TStr base = WithBackslash(root), target = WithBackslash(folder);
  SetLastError(ERROR_BAD_PATHNAME);
  if (base.empty() || !(target == base || IsBelow(target, base))) return Fail(kPathFailed, folder);
  // The folder entered last stays held for the files that follow in it.
  if (count_ && target == path_ && ends_[0] == base.size()) return kPathPlain;
  Release();
  path_ = target;
  size_t end = 0;
  while (end < target.size()) {
    end = count_ ? target.find("\\", end) + 1 : base.size();
    // A drive's root keeps its backslash: "C:" alone is the drive's current folder.
    TStr level = target.substr(0, end > 3 ? end - 1 : end);
    if (count_ == kMaxLevels) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return Fail(kPathFailed, level);
    }
    if (create && GetFileAttributesA(level.c_str()) == INVALID_FILE_ATTRIBUTES &&
        !(count_ ? CreateDirectoryA(level.c_str(), nullptr) : CreateFolders(level, false)))
      return Fail(kPathFailed, level);
    // Reading takes part in sharing, so leaving out delete sharing keeps the
    // folder from being renamed or replaced while it is held.
    HANDLE h = CreateFileA(level.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      DWORD e = GetLastError();
      return Fail(e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? kPathMissing : kPathFailed, level);
    }
    // The root is trusted as it is; each level below it must be plain.
    TPlainResult r = count_ ? CheckPlainEntry(h, level.c_str(), true, false) : kPathPlain;
    if (r != kPathPlain) {
      Fail(r, level);
      CloseHandle(h);
      return r;
    }
    holds_[count_] = h;
    ends_[count_++] = end;
  }
  return kPathPlain;
}

TPlainResult TPlainFolders::Open(const TStr& name, TPlainAccess access, void** handle) {
  *handle = nullptr;
  TStr path = path_ + name;
  bool write = access == kPlainWrite, oneName = access != kPlainDelete;
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
  if (!write || GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    HANDLE h = CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                           nullptr, OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      DWORD e = GetLastError();
      return Fail(e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? kPathMissing : kPathFailed, path);
    }
    TPlainResult r = CheckPlainEntry(h, path.c_str(), false, oneName);
    if (r == kPathPlain && write && !DeleteThroughHandle(h)) r = kPathFailed;
    if (r != kPathPlain) Fail(r, path);
    if (r == kPathPlain && !write) {
      *handle = h;
      return kPathPlain;
    }
    CloseHandle(h);
    if (r != kPathPlain) return r;
  }
  // Created new: whatever has the name by now, a dangling link included,
  // makes this fail instead of being written through.
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                         flags, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    return Fail(e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS ? kPathLinked : kPathFailed, path);
  }
  *handle = h;
  return kPathPlain;
}

bool TPlainFolders::Rename(void* handle, const TStr& newName) {
  // The name as the file system spells it.
  WCHAR wide[MAX_PATH];
  SetLastError(ERROR_INVALID_NAME);
  int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, newName.c_str(), (int)newName.size(), wide, MAX_PATH);
  return count_ && n > 0 && RenameThroughHandle(handle, holds_[count_ - 1], wide, n);
}

TPlainResult DeletePlainFile(const TStr& root, const TStr& path) {
  TStr folder = FolderPart(path);
  TPlainFolders folders;
  TPlainResult r = folders.Enter(IsBelow(path, WithBackslash(root)) ? root : folder, folder, false);
  void* h = nullptr;
  if (r == kPathPlain) r = folders.Open(FileNamePart(path), kPlainDelete, &h);
  if (r == kPathPlain && !DeleteThroughHandle(h)) r = kPathFailed;
  DWORD error = r == kPathLinked ? ERROR_CANT_ACCESS_FILE : GetLastError();
  if (h) CloseHandle((HANDLE)h);
  SetLastError(error);
  return r;
}
