#include "test_files.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#ifdef _WIN32
#include <direct.h>
static const char kSep = '\\';
// Test programs get Unix paths at build time; under Wine those are reached
// through drive Z:.
static std::string FromBuildPath(const std::string& p) {
  std::string r = "Z:" + p;
  for (char& c : r) if (c == '/') c = '\\';
  return r;
}
static int MakeDir(const std::string& p) { return _mkdir(p.c_str()); }
#else
#include <sys/stat.h>
static const char kSep = '/';
static std::string FromBuildPath(const std::string& p) { return p; }
static int MakeDir(const std::string& p) { return mkdir(p.c_str(), 0755); }
#endif

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::vector<uint8_t> out;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return out;
  uint8_t buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  fclose(f);
  return out;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  return WriteWholeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string SourcePath(const std::string& r) { return FromBuildPath(std::string(KESTIN_SOURCE_DIR) + "/" + r); }
std::string BinaryPath(const std::string& r) { return FromBuildPath(std::string(KESTIN_BINARY_DIR) + "/" + r); }
std::string TestDataPath(const std::string& r) { return SourcePath("tests/data/" + r); }

std::string NewScratchFolder(const std::string& tag) {
  static unsigned counter = 0;
  std::string root = BinaryPath("scratch");
  MakeDir(root);
  for (;;) {
    std::string p = root + kSep + tag + "-" + std::to_string((unsigned)time(nullptr)) + "-" +
                    std::to_string(rand() % 100000) + "-" + std::to_string(counter++);
    if (MakeDir(p) == 0) return p + kSep;
  }
}
