// Native file-system layer of kestin-pack.
#include "pack_fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

char Fs_Separator() { return '/'; }

bool Fs_ListFolder(const std::string& path, std::vector<std::string>* names, std::string* error) {
  names->clear();
  DIR* d = opendir(path.c_str());
  if (!d) {
    *error = Fs_ErrnoText(errno);
    return false;
  }
  for (;;) {
    errno = 0;
    dirent* e = readdir(d);
    if (!e) break;
    if (!strcmp(e->d_name, ".") || !strcmp(e->d_name, "..")) continue;
    names->push_back(e->d_name);
  }
  int err = errno;
  closedir(d);
  if (err) {
    *error = Fs_ErrnoText(err);
    return false;
  }
  return true;
}

// DOS time stamps hold 1980 to 2107 in two-second steps; times outside are
// clamped to the nearest end rather than wrapped into nonsense.
static void ToDosTime(time_t t, uint16_t* date, uint16_t* dtime) {
  struct tm tm;
  if (!localtime_r(&t, &tm) || tm.tm_year < 80) {
    *date = (0 << 9) | (1 << 5) | 1;
    *dtime = 0;
    return;
  }
  if (tm.tm_year > 207) {
    *date = uint16_t((127 << 9) | (12 << 5) | 31);
    *dtime = uint16_t((23 << 11) | (59 << 5) | 29);
    return;
  }
  *date = uint16_t(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
  *dtime = uint16_t((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
}

bool Fs_Facts(const std::string& path, TFileFacts* facts, std::string* error) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    *error = Fs_ErrnoText(errno);
    return false;
  }
  *facts = TFileFacts();
  struct stat own;
  facts->isLink = lstat(path.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
  facts->mtime = (int64_t)st.st_mtime;
  facts->isFolder = S_ISDIR(st.st_mode);
  facts->isRegular = S_ISREG(st.st_mode);
  facts->size = facts->isRegular ? (uint64_t)st.st_size : 0;
  ToDosTime(st.st_mtime, &facts->dosDate, &facts->dosTime);
  // A file fresh on Windows carries the archive bit; read-only follows the
  // owner's write permission. Nothing else maps.
  facts->dosAttribs = kDosArchive | ((st.st_mode & S_IWUSR) ? 0 : kDosReadOnly);
  facts->identity = std::to_string((unsigned long long)st.st_dev) + ":" +
                    std::to_string((unsigned long long)st.st_ino);
  return true;
}

bool Fs_Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

bool Fs_MakeFolder(const std::string& path, std::string* error) {
  if (mkdir(path.c_str(), 0777) == 0) return true;
  int err = errno;
  struct stat st;
  if (err == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  *error = err == EEXIST ? "a file of that name is in the way" : Fs_ErrnoText(err);
  return false;
}

bool Fs_Remove(const std::string& path) { return unlink(path.c_str()) == 0; }

bool Fs_Replace(const std::string& from, const std::string& to, std::string* error) {
  if (rename(from.c_str(), to.c_str()) == 0) return true;
  *error = Fs_ErrnoText(errno);
  return false;
}

bool Fs_CreateTemporary(const std::string& folder, std::string* path, std::string* error) {
  std::string pattern = Fs_Join(folder.empty() ? "." : folder, ".kestin-pack-XXXXXX");
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back(0);
  int fd = mkstemp(buf.data());
  if (fd < 0) {
    *error = Fs_ErrnoText(errno);
    return false;
  }
  // mkstemp makes the file private; a package is an ordinary file.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);
  *path = buf.data();
  return true;
}

bool Fs_SetStoredFacts(const std::string& path, uint16_t dosDate, uint16_t dosTime,
                       uint16_t dosAttribs, std::string* error) {
  struct tm tm;
  memset(&tm, 0, sizeof tm);
  tm.tm_year = 80 + (dosDate >> 9);
  tm.tm_mon = ((dosDate >> 5) & 15) - 1;
  tm.tm_mday = dosDate & 31;
  tm.tm_hour = dosTime >> 11;
  tm.tm_min = (dosTime >> 5) & 63;
  tm.tm_sec = (dosTime & 31) * 2;
  tm.tm_isdst = -1;
  time_t t = mktime(&tm);
  if (t != (time_t)-1) {
    struct timeval tv[2] = {{t, 0}, {t, 0}};
    if (utimes(path.c_str(), tv) != 0) {
      *error = Fs_ErrnoText(errno);
      return false;
    }
  }
  if (dosAttribs & kDosReadOnly) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || chmod(path.c_str(), st.st_mode & ~0222) != 0) {
      *error = Fs_ErrnoText(errno);
      return false;
    }
  }
  return true;
}

std::string Fs_OwnProgramPath() {
  char buf[PATH_MAX + 1];
  ssize_t n = readlink("/proc/self/exe", buf, PATH_MAX);
  return n > 0 ? std::string(buf, (size_t)n) : std::string();
}

std::string Fs_FullPath(const std::string& path) {
  char buf[PATH_MAX + 1];
  if (realpath(path.c_str(), buf)) return buf;
  // A file yet to be written: resolve its folder.
  std::string folder = Fs_FolderOf(path);
  if (realpath(folder.empty() ? "." : folder.c_str(), buf)) return Fs_Join(buf, Fs_BaseName(path));
  return path;
}

bool Fs_StderrIsTerminal() { return isatty(2) == 1; }

bool Fs_NamesAreUtf8() { return true; }

std::vector<std::string> Fs_Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

// The interrupt handler may only make async-signal-safe calls, so the paths
// sit in fixed buffers filled before any signal can need them.
namespace {
const int kInterruptSlots = 4;
char g_interruptPaths[kInterruptSlots][PATH_MAX + 1];
volatile sig_atomic_t g_handlerInstalled = 0;

void OnInterrupt(int sig) {
  for (int i = 0; i < kInterruptSlots; i++)
    if (g_interruptPaths[i][0]) unlink(g_interruptPaths[i]);
  signal(sig, SIG_DFL);
  raise(sig);
}
}  // namespace

void Fs_RemoveOnInterrupt(const std::string& path) {
  if (path.size() > PATH_MAX) return;
  if (!g_handlerInstalled) {
    g_handlerInstalled = 1;
    signal(SIGINT, OnInterrupt);
    signal(SIGTERM, OnInterrupt);
    signal(SIGHUP, OnInterrupt);
    // Past a file-size limit a write should fail (and the temporary file go)
    // rather than the process die with the file left behind.
    signal(SIGXFSZ, SIG_IGN);
  }
  for (int i = 0; i < kInterruptSlots; i++) {
    if (g_interruptPaths[i][0] || path.empty()) continue;
    // The first byte goes in last, so the handler never sees half a path.
    memcpy(g_interruptPaths[i] + 1, path.c_str() + 1, path.size());
    g_interruptPaths[i][0] = path[0];
    return;
  }
}

void Fs_KeepOnInterrupt(const std::string& path) {
  for (int i = 0; i < kInterruptSlots; i++)
    if (path == g_interruptPaths[i]) g_interruptPaths[i][0] = 0;
}
