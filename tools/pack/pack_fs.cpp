#include "pack_fs.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#define KP_FSEEK _fseeki64
#define KP_FTELL _ftelli64
static bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }
#else
#define KP_FSEEK fseeko
#define KP_FTELL ftello
static bool IsSeparator(char c) { return c == '/'; }
#endif

std::string Fs_ErrnoText(int err) { return std::strerror(err); }

std::string Fs_BaseName(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !IsSeparator(path[i - 1])) i--;
  return path.substr(i);
}

std::string Fs_FolderOf(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !IsSeparator(path[i - 1])) i--;
  return path.substr(0, i);
}

std::string Fs_Join(const std::string& folder, const std::string& name) {
  if (folder.empty() || IsSeparator(folder.back())) return folder + name;
  return folder + Fs_Separator() + name;
}

bool Fs_IsWithin(const std::string& path, const std::string& folder) {
  std::string p = Fs_FullPath(path), f = Fs_FullPath(folder);
  while (f.size() > 1 && IsSeparator(f.back())) f.pop_back();
#ifdef _WIN32
  for (char& c : p) if (c >= 'a' && c <= 'z') c = char(c - 32);
  for (char& c : f) if (c >= 'a' && c <= 'z') c = char(c - 32);
#endif
  if (p.compare(0, f.size(), f) != 0) return false;
  return p.size() == f.size() || IsSeparator(p[f.size()]) || IsSeparator(f.back());
}

TFile::~TFile() {
  if (f_) fclose(f_);
}

#ifdef _WIN32
std::wstring Fs_Wide(const std::string& utf8);  // pack_fs_win.cpp
#endif

static bool OpenWith(FILE** f, const std::string& path, const char* mode, std::string* error) {
  if (*f) fclose(*f);
  errno = 0;
#ifdef _WIN32
  *f = _wfopen(Fs_Wide(path).c_str(), Fs_Wide(mode).c_str());
#else
  *f = fopen(path.c_str(), mode);
#endif
  if (!*f) {
    *error = Fs_ErrnoText(errno ? errno : ENOENT);
    return false;
  }
  return true;
}

bool TFile::OpenRead(const std::string& path, std::string* error) {
  ok_ = true;
  return OpenWith(&f_, path, "rb", error);
}

bool TFile::OpenWrite(const std::string& path, std::string* error) {
  ok_ = true;
  return OpenWith(&f_, path, "wb", error);
}

bool TFile::OpenUpdate(const std::string& path, std::string* error) {
  ok_ = true;
  return OpenWith(&f_, path, "r+b", error);
}

size_t TFile::Read(void* buffer, size_t n) {
  if (!f_) return 0;
  size_t got = fread(buffer, 1, n, f_);
  if (got < n && ferror(f_)) {
    ok_ = false;
    lastError_ = Fs_ErrnoText(errno ? errno : EIO);
  }
  return got;
}

bool TFile::Write(const void* buffer, size_t n, std::string* error) {
  if (n == 0) return true;
  errno = 0;
  if (!f_ || fwrite(buffer, 1, n, f_) != n) {
    ok_ = false;
    *error = lastError_ = Fs_ErrnoText(errno ? errno : EIO);
    return false;
  }
  return true;
}

bool TFile::Seek(uint64_t position, std::string* error) {
  errno = 0;
  if (!f_ || KP_FSEEK(f_, (int64_t)position, SEEK_SET) != 0) {
    *error = Fs_ErrnoText(errno ? errno : EINVAL);
    return false;
  }
  return true;
}

bool TFile::Size(uint64_t* size, std::string* error) {
  errno = 0;
  if (!f_ || KP_FSEEK(f_, 0, SEEK_END) != 0) {
    *error = Fs_ErrnoText(errno ? errno : EINVAL);
    return false;
  }
  int64_t at = KP_FTELL(f_);
  if (at < 0) {
    *error = Fs_ErrnoText(errno ? errno : EINVAL);
    return false;
  }
  *size = (uint64_t)at;
  return true;
}

bool TFile::Close(std::string* error) {
  if (!f_) return true;
  errno = 0;
  bool flushed = fflush(f_) == 0;
  int flushErr = errno;
  bool closed = fclose(f_) == 0;
  f_ = nullptr;
  if (!flushed || !closed || !ok_) {
    *error = !ok_ ? lastError_ : Fs_ErrnoText(flushErr ? flushErr : errno ? errno : EIO);
    return false;
  }
  return true;
}
