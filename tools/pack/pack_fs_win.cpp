// Windows file-system layer of kestin-pack.
#include <windows.h>
#include <io.h>
#include <shellapi.h>

#include "pack_fs.h"

#include <cstring>

char Fs_Separator() { return '\\'; }

// Paths are UTF-8 inside kestin-pack, so a name reads and stores the same on
// every system; the wide file API takes them whatever the ANSI code page.
std::wstring Fs_Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring w(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &w[0], n);
  return w;
}

std::string Fs_Utf8(const wchar_t* wide, int length) {
  if (length < 0) length = int(wcslen(wide));
  if (length == 0) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide, length, &s[0], n, nullptr, nullptr);
  return s;
}

std::vector<std::string> Fs_Arguments(int, char**) {
  std::vector<std::string> args;
  int n = 0;
  wchar_t** w = CommandLineToArgvW(GetCommandLineW(), &n);
  for (int i = 1; w && i < n; i++) args.push_back(Fs_Utf8(w[i], -1));
  if (w) LocalFree(w);
  return args;
}

static std::string SystemText(DWORD code) {
  char* text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, (char*)&text, 0, nullptr);
  std::string r = n ? std::string(text, n) : "system error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!r.empty() && (r.back() == '\n' || r.back() == '\r' || r.back() == ' ' || r.back() == '.'))
    r.pop_back();
  return r;
}

static bool Fail(std::string* error) {
  *error = SystemText(GetLastError());
  return false;
}

bool Fs_ListFolder(const std::string& path, std::vector<std::string>* names, std::string* error) {
  names->clear();
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(Fs_Wide(Fs_Join(path, "*")).c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return Fail(error);
  do {
    if (!wcscmp(fd.cFileName, L".") || !wcscmp(fd.cFileName, L"..")) continue;
    names->push_back(Fs_Utf8(fd.cFileName, -1));
  } while (FindNextFileW(h, &fd));
  DWORD err = GetLastError();
  FindClose(h);
  if (err != ERROR_NO_MORE_FILES) {
    *error = SystemText(err);
    return false;
  }
  return true;
}

bool Fs_Facts(const std::string& path, TFileFacts* facts, std::string* error) {
  *facts = TFileFacts();
  // Opening the file itself follows links and gives an identity to compare.
  HANDLE h = CreateFileW(Fs_Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Fail(error);
  BY_HANDLE_FILE_INFORMATION info;
  BOOL ok = GetFileInformationByHandle(h, &info);
  DWORD type = GetFileType(h);
  CloseHandle(h);
  if (!ok) return Fail(error);
  DWORD own = GetFileAttributesW(Fs_Wide(path).c_str());
  facts->isLink = own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT);
  // 100-ns steps since 1601 to seconds since 1970.
  uint64_t ticks = (uint64_t)info.ftLastWriteTime.dwHighDateTime << 32 | info.ftLastWriteTime.dwLowDateTime;
  facts->mtime = (int64_t)(ticks / 10000000u) - 11644473600LL;
  facts->isFolder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  facts->isRegular = !facts->isFolder && type == FILE_TYPE_DISK;
  facts->size = facts->isRegular ? ((uint64_t)info.nFileSizeHigh << 32 | info.nFileSizeLow) : 0;
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&info.ftLastWriteTime, &local) ||
      !FileTimeToDosDateTime(&local, &date, &time)) {
    date = (0 << 9) | (1 << 5) | 1;  // before 1980: the earliest DOS date
    time = 0;
  }
  facts->dosDate = date;
  facts->dosTime = time;
  facts->dosAttribs = uint16_t(info.dwFileAttributes &
                               (kDosReadOnly | kDosHidden | kDosSystem | kDosArchive));
  facts->identity = std::to_string(info.dwVolumeSerialNumber) + ":" +
                    std::to_string(info.nFileIndexHigh) + ":" + std::to_string(info.nFileIndexLow);
  return true;
}

bool Fs_Exists(const std::string& path) { return GetFileAttributesW(Fs_Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Fs_MakeFolder(const std::string& path, std::string* error) {
  if (CreateDirectoryW(Fs_Wide(path).c_str(), nullptr)) return true;
  DWORD err = GetLastError();
  DWORD attrs = GetFileAttributesW(Fs_Wide(path).c_str());
  if (err == ERROR_ALREADY_EXISTS && attrs != INVALID_FILE_ATTRIBUTES &&
      (attrs & FILE_ATTRIBUTE_DIRECTORY))
    return true;
  *error = err == ERROR_ALREADY_EXISTS ? "a file of that name is in the way" : SystemText(err);
  return false;
}

bool Fs_Remove(const std::string& path) { return DeleteFileW(Fs_Wide(path).c_str()) != 0; }

bool Fs_Replace(const std::string& from, const std::string& to, std::string* error) {
  if (MoveFileExW(Fs_Wide(from).c_str(), Fs_Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  return Fail(error);
}

bool Fs_CreateTemporary(const std::string& folder, std::string* path, std::string* error) {
  wchar_t buf[MAX_PATH];
  if (!GetTempFileNameW(Fs_Wide(folder.empty() ? "." : folder).c_str(), L"kp", 0, buf)) return Fail(error);
  *path = Fs_Utf8(buf, -1);
  return true;
}

bool Fs_SetStoredFacts(const std::string& path, uint16_t dosDate, uint16_t dosTime,
                       uint16_t dosAttribs, std::string* error) {
  FILETIME local, utc;
  if (DosDateTimeToFileTime(dosDate, dosTime, &local) && LocalFileTimeToFileTime(&local, &utc)) {
    HANDLE h = CreateFileW(Fs_Wide(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Fail(error);
    BOOL ok = SetFileTime(h, nullptr, nullptr, &utc);
    DWORD err = GetLastError();
    CloseHandle(h);
    if (!ok) {
      *error = SystemText(err);
      return false;
    }
  }
  // The time goes first: a read-only file no longer takes one.
  DWORD attrs = dosAttribs & (kDosReadOnly | kDosHidden | kDosSystem | kDosArchive);
  if (!SetFileAttributesW(Fs_Wide(path).c_str(), attrs ? attrs : FILE_ATTRIBUTE_NORMAL)) return Fail(error);
  return true;
}

std::string Fs_OwnProgramPath() {
  wchar_t buf[MAX_PATH + 1];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? Fs_Utf8(buf, int(n)) : std::string();
}

std::string Fs_FullPath(const std::string& path) {
  wchar_t buf[MAX_PATH + 1];
  DWORD n = GetFullPathNameW(Fs_Wide(path).c_str(), MAX_PATH, buf, nullptr);
  return n > 0 && n < MAX_PATH ? Fs_Utf8(buf, int(n)) : path;
}

bool Fs_StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

bool Fs_NamesAreUtf8() { return true; }

namespace {
const int kInterruptSlots = 4;
wchar_t g_interruptPaths[kInterruptSlots][MAX_PATH + 1];
bool g_handlerInstalled = false;

// Runs on a thread of its own when the console is interrupted.
BOOL WINAPI OnConsoleInterrupt(DWORD) {
  for (int i = 0; i < kInterruptSlots; i++)
    if (g_interruptPaths[i][0]) DeleteFileW(g_interruptPaths[i]);
  return FALSE;
}
}  // namespace

void Fs_RemoveOnInterrupt(const std::string& utf8) {
  std::wstring path = Fs_Wide(utf8);
  if (path.empty() || path.size() > MAX_PATH) return;
  if (!g_handlerInstalled) {
    g_handlerInstalled = true;
    SetConsoleCtrlHandler(OnConsoleInterrupt, TRUE);
  }
  for (int i = 0; i < kInterruptSlots; i++) {
    if (g_interruptPaths[i][0]) continue;
    memcpy(g_interruptPaths[i] + 1, path.c_str() + 1, path.size() * sizeof(wchar_t));
    g_interruptPaths[i][0] = path[0];
    return;
  }
}

void Fs_KeepOnInterrupt(const std::string& utf8) {
  std::wstring path = Fs_Wide(utf8);
  for (int i = 0; i < kInterruptSlots; i++)
    if (path == g_interruptPaths[i]) g_interruptPaths[i][0] = 0;
}
