#include <windows.h>

#include "package/file_stream.h"

TFileStream::TFileStream(const char* path, bool create, bool forWrite, bool exclusive) {
  DWORD access = create || forWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  DWORD share = exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  handle_ = CreateFileA(path, access, share, nullptr, create ? CREATE_ALWAYS : OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) lastError_ = GetLastError();
}

TFileStream::~TFileStream() {
  if (IsOpen()) CloseHandle(handle_);
}

bool TFileStream::IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

long long TFileStream::Size() {
  LARGE_INTEGER size;
  return GetFileSizeEx(handle_, &size) ? size.QuadPart : -1;
}

int TFileStream::Read(void* buffer, int count) {
  DWORD got = 0;
  lastError_ = 0;
  if (count <= 0) return 0;
  if (!ReadFile(handle_, buffer, (DWORD)count, &got, nullptr)) lastError_ = GetLastError();
  return (int)got;
}

int TFileStream::Write(const void* buffer, int count) {
  DWORD put = 0;
  lastError_ = 0;
  if (count <= 0) return 0;
  if (!WriteFile(handle_, buffer, (DWORD)count, &put, nullptr)) lastError_ = GetLastError();
  else if ((int)put < count) lastError_ = ERROR_DISK_FULL;
  return (int)put;
}

long long TFileStream::Seek(long long distance, int origin) {
  LARGE_INTEGER d, p;
  d.QuadPart = distance;
  DWORD method = origin == kSeekBegin ? FILE_BEGIN : origin == kSeekCurrent ? FILE_CURRENT : FILE_END;
  if (!SetFilePointerEx(handle_, d, &p, method)) {
    lastError_ = GetLastError();
    return -1;
  }
  return p.QuadPart;
}
