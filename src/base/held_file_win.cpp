#include <windows.h>

#include "base/held_file.h"

namespace {

// Deletes the very file a handle has open, whatever its name now is, by
// setting its delete disposition (FileDispositionInformation). The system
// call exists on every NT system; it is looked up at run time because the
// program imports nothing from ntdll.dll statically.
const int kFileDispositionInformation = 13;
struct TDisposition { BOOLEAN Delete; };
struct TIoStatus { void* Status; ULONG_PTR Information; };
typedef LONG(WINAPI* SetInformationFileFn)(HANDLE, TIoStatus*, void*, ULONG, int);

bool MarkForDeletion(HANDLE h) {
  SetInformationFileFn set = (SetInformationFileFn)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"),
                                                                         "NtSetInformationFile");
  TDisposition d = {TRUE};
  TIoStatus io;
  return set && set(h, &io, &d, sizeof d, kFileDispositionInformation) >= 0;
}

bool ReadIdentity(HANDLE h, THeldEntry* e, DWORD* attributes) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info)) return false;
  e->Volume = info.dwVolumeSerialNumber;
  e->IndexHigh = info.nFileIndexHigh;
  e->IndexLow = info.nFileIndexLow;
  if (attributes) *attributes = info.dwFileAttributes;
  return true;
}

bool SameIdentity(HANDLE h, const THeldEntry& e) {
  THeldEntry now;
  return ReadIdentity(h, &now, nullptr) && now.Volume == e.Volume && now.IndexHigh == e.IndexHigh &&
         now.IndexLow == e.IndexLow;
}

bool WriteAll(HANDLE h, const char* data, size_t size) {
  while (size > 0) {
    DWORD chunk = size > 0x100000 ? 0x100000 : (DWORD)size, put = 0;
    if (!WriteFile(h, data, chunk, &put, nullptr) || put != chunk) return false;
    data += chunk;
    size -= chunk;
  }
  return true;
}

bool HoldsExactly(HANDLE h, const char* data, size_t size) {
  char buffer[2048];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(h, buffer, sizeof buffer, &got, nullptr)) return false;
    if (got == 0) return size == 0;
    if (got > size) return false;
    for (DWORD i = 0; i < got; i++)
      if (buffer[i] != data[i]) return false;
    data += got;
    size -= got;
  }
}

const DWORD kNoFollow = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;

// Removes the entry at `path` when it is a link (a reparse point) and only
// then. The decision and the deletion go through one handle on the entry
// itself: removal by name may reach a link's target on some systems.
bool RemoveLink(const TStr& path) {
  HANDLE h = CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, kNoFollow,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  THeldEntry seen;
  DWORD attributes = 0;
  bool gone = ReadIdentity(h, &seen, &attributes) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
              MarkForDeletion(h);
  CloseHandle(h);
  return gone;
}

}  // namespace

TPlaceResult PlaceHeldFile(const TStr& path, const char* data, size_t size, THeldEntry* file,
                           unsigned* systemError) {
  *systemError = 0;
  DWORD a = GetFileAttributesA(path.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && !RemoveLink(path)) return kNameTaken;
  // Create-new: whatever appeared at the name meanwhile, a link included,
  // makes this fail instead of being opened or overwritten.
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    if (e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS) return kNameTaken;
    *systemError = e;
    return kPlaceFailed;
  }
  file->Path = path;
  file->Created = ReadIdentity(h, file, nullptr);
  bool written = file->Created && WriteAll(h, data, size);
  if (!written) *systemError = GetLastError();
  if (!CloseHandle(h) && written) {
    written = false;
    *systemError = GetLastError();
  }
  if (!written) {
    if (!*systemError) *systemError = ERROR_WRITE_FAULT;
    RemoveHeldEntry(file);
    return kPlaceFailed;
  }
  // Between the close and this open another program may have put its own
  // file in place or written into ours; reading back through the hold tells.
  file->Hold = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file->Hold == INVALID_HANDLE_VALUE) {
    file->Hold = nullptr;
    *systemError = GetLastError();
    RemoveHeldEntry(file);
    return kPlaceTampered;
  }
  if (!SameIdentity((HANDLE)file->Hold, *file) || !HoldsExactly((HANDLE)file->Hold, data, size)) {
    RemoveHeldEntry(file);
    return kPlaceTampered;
  }
  return kPlaced;
}

bool HoldFolder(const TStr& path, bool create, THeldEntry* folder) {
  if (create && CreateDirectoryA(path.c_str(), nullptr)) folder->Created = true;
  folder->Path = path;
  // Reading counts for sharing, so leaving out delete sharing keeps the
  // folder from being renamed or removed while it is held.
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         kNoFollow, nullptr);
  // Both the entry's own attributes and the handle's must say "plain folder":
  // where the file system follows a link on opening, only the former tell.
  DWORD attributes = 0, named = GetFileAttributesA(path.c_str());
  if (h != INVALID_HANDLE_VALUE && ReadIdentity(h, folder, &attributes) &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) && !((attributes | named) & FILE_ATTRIBUTE_REPARSE_POINT) &&
      named != INVALID_FILE_ATTRIBUTES) {
    folder->Hold = h;
    return true;
  }
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  // Not the folder this run made (if it made one): leave it as it is.
  folder->Created = false;
  return false;
}

bool CreateUniqueFolder(const TStr& prefix, THeldEntry* folder) {
  unsigned seed = GetCurrentProcessId() * 2654435761u ^ GetTickCount();
  for (unsigned n = 0; n < 16; n++) {
    TStr path = prefix + IntToStr((seed + n * 0x9E3779B9u) & 0x7FFFFFFF);
    if (!CreateDirectoryA(path.c_str(), nullptr)) {
      if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
      return false;
    }
    folder->Created = true;
    if (HoldFolder(path, false, folder)) return true;
  }
  return false;
}

void ReleaseHold(THeldEntry* entry) {
  if (entry->Hold) CloseHandle((HANDLE)entry->Hold);
  entry->Hold = nullptr;
}

void RemoveHeldEntry(THeldEntry* entry) {
  ReleaseHold(entry);
  if (entry->Created && !entry->Path.empty()) {
    HANDLE h = CreateFileA(entry->Path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           kNoFollow, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      // Only the entry this run made: whatever has its name now stays.
      if (SameIdentity(h, *entry)) MarkForDeletion(h);
      CloseHandle(h);
    }
  }
  *entry = THeldEntry();
}
