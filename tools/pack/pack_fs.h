// The file-system calls kestin-pack needs, with a native (pack_fs_posix.cpp)
// and a Windows (pack_fs_win.cpp) implementation. Every call that can fail
// returns false and puts a reason into `error` (the system's words, without
// the file name: callers add the name, since they know which one matters).
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// DOS attribute bits as a cabinet stores them.
const uint16_t kDosReadOnly = 0x01;
const uint16_t kDosHidden = 0x02;
const uint16_t kDosSystem = 0x04;
const uint16_t kDosArchive = 0x20;

struct TFileFacts {
  bool isFolder = false;
  bool isRegular = false;  // a plain file (after following a symbolic link)
  bool isLink = false;     // the path itself is a symbolic link (or junction)
  int64_t mtime = 0;       // last-write time, seconds since 1970 (UTC)
  uint64_t size = 0;
  uint16_t dosDate = 0;    // last-write time in local time, DOS format
  uint16_t dosTime = 0;
  uint16_t dosAttribs = 0; // read-only, hidden, system, archive
  std::string identity;    // equal for two paths that name the same file or folder
};

// The names in a folder, "." and ".." left out, in no particular order.
bool Fs_ListFolder(const std::string& path, std::vector<std::string>* names, std::string* error);
bool Fs_Facts(const std::string& path, TFileFacts* facts, std::string* error);
bool Fs_Exists(const std::string& path);
bool Fs_MakeFolder(const std::string& path, std::string* error);  // fine when it exists
bool Fs_Remove(const std::string& path);
// Renames `from` over `to`, replacing what is there.
bool Fs_Replace(const std::string& from, const std::string& to, std::string* error);
// Creates a new, empty file with a unique name in `folder` (next to a file the
// caller is about to write) and returns its path.
bool Fs_CreateTemporary(const std::string& folder, std::string* path, std::string* error);
// Gives an extracted file its stored time stamp and read-only/hidden/system bits.
bool Fs_SetStoredFacts(const std::string& path, uint16_t dosDate, uint16_t dosTime,
                       uint16_t dosAttribs, std::string* error);
std::string Fs_OwnProgramPath();
// The absolute form of `path`, links in its existing part resolved where the
// system can; the path as given when even that fails.
std::string Fs_FullPath(const std::string& path);
// Whether `path` is `folder` or lies below it (both made absolute first; letter
// case ignored on Windows).
bool Fs_IsWithin(const std::string& path, const std::string& folder);
bool Fs_StderrIsTerminal();
// True where file names come as UTF-8: always, the Windows build reads them
// through the wide API, so both builds store a name the same way.
bool Fs_NamesAreUtf8();
// The command-line arguments after the program name, as UTF-8.
std::vector<std::string> Fs_Arguments(int argc, char** argv);
char Fs_Separator();

// The text after the last separator (either kind on Windows), and the text up
// to and including it ("" when there is none).
std::string Fs_BaseName(const std::string& path);
std::string Fs_FolderOf(const std::string& path);
std::string Fs_Join(const std::string& folder, const std::string& name);

// Paths removed when the process is interrupted (Ctrl-C, hang-up,
// termination): the temporary files of an unfinished package. At most a few.
void Fs_RemoveOnInterrupt(const std::string& path);
void Fs_KeepOnInterrupt(const std::string& path);

// A file opened through the C library with 64-bit positions. Reads and writes
// report short transfers; Close reports a failed final flush (a full disk
// often shows only there).
class TFile {
public:
  TFile() = default;
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;
  ~TFile();

  bool OpenRead(const std::string& path, std::string* error);
  bool OpenWrite(const std::string& path, std::string* error);   // create or truncate
  bool OpenUpdate(const std::string& path, std::string* error);  // read and write, existing file
  bool IsOpen() const { return f_ != nullptr; }
  // Reads up to n bytes; fewer only at the end of the file or on an error
  // (then `error` is set and ok() is false).
  size_t Read(void* buffer, size_t n);
  bool Write(const void* buffer, size_t n, std::string* error);
  bool Seek(uint64_t position, std::string* error);
  bool Size(uint64_t* size, std::string* error);
  bool Close(std::string* error);
  bool ok() const { return ok_; }
  const std::string& lastError() const { return lastError_; }

private:
  FILE* f_ = nullptr;
  bool ok_ = true;
  std::string lastError_;
};

// The system's description of errno.
std::string Fs_ErrnoText(int err);
