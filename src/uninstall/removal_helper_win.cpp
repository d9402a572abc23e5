#include <windows.h>

#include "base/files.h"
#include "base/plain_path.h"
#include "uninstall/removal_helper.h"
#include "uninstall/removal_rules.h"

static bool Exists(const TStr& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Copies `from` into the existing file `to` through a handle on `to` that is
// checked to be a plain file first: a link planted at that name in the
// shared temporary folder is never written through.
static bool CopyInto(const TStr& from, const TStr& to) {
  HANDLE out = CreateFileA(to.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  bool ok = CheckPlainEntry(out, to.c_str(), false, true) == kPathPlain;
  HANDLE in = ok ? CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                 : INVALID_HANDLE_VALUE;
  ok = in != INVALID_HANDLE_VALUE;
  if (ok) {
    TStr buffer;
    buffer.resize(65536);
    DWORD got = 0, put = 0;
    while (ok && ReadFile(in, buffer.buffer(), (DWORD)buffer.size(), &got, nullptr) && got > 0)
      ok = WriteFile(out, buffer.c_str(), got, &put, nullptr) && put == got;
    ok = ok && got == 0;
    CloseHandle(in);
  }
  return CloseHandle(out) && ok;
}

// A fresh temporary file whose marker name is free: a marker that is
// already there (left by someone else) would end the wait before the helper
// has started, and is not ours to delete.
static TStr FreshCopyName() {
  char folder[MAX_PATH + 1];
  DWORD n = GetTempPathA(MAX_PATH, folder);
  if (n == 0 || n >= MAX_PATH) return TStr();
  for (int attempt = 0; attempt < 8; attempt++) {
    char name[MAX_PATH + 1];
    if (!GetTempFileNameA(folder, "KVL", 0, name)) return TStr();
    TStr copy(name);
    if (!Exists(StartedMarkerPath(copy))) return copy;
    DeleteFileA(name);
  }
  return TStr();
}

bool StartRemovalHelper(const TStr& message, bool quiet) {
  TStr self = RunningProgramPath();
  TStr copy = FreshCopyName();
  if (self.empty() || copy.empty()) return false;
  if (!CopyInto(self, copy)) {
    DeleteFileA(copy.c_str());
    return false;
  }
  HANDLE keep = CreateFileA(copy.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (keep == INVALID_HANDLE_VALUE) {
    DeleteFileA(copy.c_str());
    return false;
  }
  // No show state is handed down: the helper has no window of its own, and
  // the system would apply a hidden state to the first window it shows,
  // which is the message box.
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  TStr line = HelperCommandLine(copy, self, message);
  if (quiet) line += " /S";
  if (!CreateProcessA(copy.c_str(), line.buffer(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    CloseHandle(keep);  // delete-on-close takes the copy with it
    return false;
  }
  CloseHandle(pi.hThread);
  // Until the helper runs, this handle keeps the copy alive. Wait for its
  // marker, but not for a helper that has ended without one or never
  // signals.
  TStr marker = StartedMarkerPath(copy);
  bool started = false, ended = false;
  for (unsigned waited = 0; waited < kRemovalWaitMs; waited += kRemovalPollMs) {
    if (Exists(marker)) {
      started = true;
      break;
    }
    if (WaitForSingleObject(pi.hProcess, kRemovalPollMs) == WAIT_OBJECT_0) {
      ended = true;
      break;
    }
  }
  // A helper that ended normally has shown the message (its marker may be
  // gone already); one that crashed has not. One still running without a
  // marker after the wait will still show it.
  if (ended) {
    DWORD code = 1;
    started = GetExitCodeProcess(pi.hProcess, &code) && code == 0;
  } else {
    started = true;
  }
  CloseHandle(pi.hProcess);
  CloseHandle(keep);
  return started;
}

// True when the open file holds the same bytes as the running program: the
// helper is a copy of the uninstaller, so the uninstaller file matches and
// any other file does not.
static bool IsCopyOfSelf(HANDLE a, const TStr& self) {
  HANDLE b = CreateFileA(self.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool same = b != INVALID_HANDLE_VALUE && GetFileSize(a, nullptr) == GetFileSize(b, nullptr) &&
              GetFileSize(a, nullptr) != INVALID_FILE_SIZE;
  TStr x, y;
  x.resize(16384);
  y.resize(16384);
  while (same) {
    DWORD gotA = 0, gotB = 0;
    same = ReadFile(a, x.buffer(), 16384, &gotA, nullptr) && ReadFile(b, y.buffer(), 16384, &gotB, nullptr) &&
           gotA == gotB;
    if (!same || gotA == 0) break;
    for (DWORD i = 0; i < gotA && same; i++) same = x[i] == y[i];
  }
  if (b != INVALID_HANDLE_VALUE) CloseHandle(b);
  return same;
}

// `file` opened without following a link, shared only for reading: null when
// it cannot be opened (`error` says why) or is not a plain file.
static HANDLE OpenPlain(const TStr& file, DWORD access, DWORD* error) {
  HANDLE h = CreateFileA(file.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                         nullptr);
  *error = GetLastError();
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  if (CheckPlainEntry(h, file.c_str(), false, false) == kPathPlain) return h;
  CloseHandle(h);
  *error = ERROR_ACCESS_DENIED;
  return nullptr;
}

static const char kLeftForRestart[] = "The uninstaller file will be removed when Windows restarts:";
static const char kNotRemoved[] = "The uninstaller file could not be removed:";

TStr RemovalHelperRun(const TStr& file, const TStr& message) {
  // The marker is created new: a file of that name that is already there is
  // someone else's and is neither truncated nor deleted.
  TStr self = RunningProgramPath();
  TStr marker = StartedMarkerPath(self);
  HANDLE h = CreateFileA(marker.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ownMarker = h != INVALID_HANDLE_VALUE;
  if (ownMarker) CloseHandle(h);

  // One handle for the check and the deletion, shared only for reading: what
  // was compared is what goes, and nothing can change, rename or replace the
  // file in between.
  h = nullptr;
  DWORD error = 0;
  unsigned waited = 0;
  bool candidate = !file.empty() && !self.empty() && !SameTextAscii(file.c_str(), self.c_str());
  while (candidate && !(h = OpenPlain(file, GENERIC_READ | DELETE | FILE_WRITE_ATTRIBUTES, &error)) &&
         error == ERROR_SHARING_VIOLATION && waited < kRemovalWaitMs) {
    Sleep(kRemovalPollMs);
    waited += kRemovalPollMs;
  }
  // Still open elsewhere after the wait: checked through a handle that only
  // reads, which keeps the name on this very file while it is handed to the
  // system for deletion at the next restart.
  bool inUse = !h && error == ERROR_SHARING_VIOLATION;
  if (inUse) h = OpenPlain(file, GENERIC_READ, &error);
  bool ours = h && IsCopyOfSelf(h, self);
  bool gone = false;
  while (ours && !inUse && !(gone = DeleteThroughHandle(h)) && waited < kRemovalWaitMs) {
    Sleep(kRemovalPollMs);
    waited += kRemovalPollMs;
  }
  const char* trouble = nullptr;
  if (ours && !gone)
    // Where this user may not ask for that, it stays and the user is told.
    trouble = MoveFileExA(file.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? kLeftForRestart : kNotRemoved;
  else if (!ours && !file.empty() && Exists(file))
    trouble = kNotRemoved;
  if (h) CloseHandle(h);
  if (ownMarker) DeleteFileA(marker.c_str());
  if (!trouble) return message;
  return Concat(message, message.empty() ? "" : "\r\n\r\n", trouble, "\r\n", file);
}
