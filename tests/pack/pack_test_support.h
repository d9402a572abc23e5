// Shared by the native kestin-pack tests: running the tool, a stand-in setup
// program, product trees and their comparison.
#pragma once
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "package/scramble.h"
#include "fake_stub.h"
#include "test_files.h"

namespace packtest {

namespace fs = std::filesystem;

inline std::string Quote(const std::string& s) {
  std::string r = "'";
  for (char c : s) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return r + "'";
}

struct TRun {
  int rc = -1;
  std::string out, err;
};

inline std::string ReadText(const std::string& path) {
  std::vector<uint8_t> b = ReadWholeFile(path);
  return std::string(b.begin(), b.end());
}

// Runs a shell command line and collects its exit code and output.
inline TRun RunShell(const std::string& command) {
  std::string dir = NewScratchFolder("run");
  int status = std::system((command + " > " + Quote(dir + "out") + " 2> " + Quote(dir + "err")).c_str());
  TRun r;
  r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = ReadText(dir + "out");
  r.err = ReadText(dir + "err");
  return r;
}

inline std::string Tool() { return Quote(BinaryPath("kestin-pack")); }

inline TRun RunTool(const std::string& args) { return RunShell(Tool() + " " + args); }


struct TStubFiles {
  std::string stub, dll;
  size_t stubSize;
};

inline TStubFiles WriteStubFiles(const std::string& dir, size_t dllSize = 1000) {
  TStubFiles f;
  f.stub = dir + "stub.exe";
  f.dll = dir + "uncab.dll";
  std::vector<uint8_t> stub = FakeStub();
  f.stubSize = stub.size();
  WriteWholeFile(f.stub, stub);
  WriteWholeFile(f.dll, FakeLibrary(dllSize));
  return f;
}

inline std::string StubArgs(const TStubFiles& f) { return "--stub " + Quote(f.stub) + " --dll " + Quote(f.dll); }

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  WriteWholeFile(path, bytes);
}

inline void WriteFile(const std::string& path, const std::string& text) {
  WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// Bytes that deflate compresses somewhat, different for every seed.
inline std::vector<uint8_t> SomeBytes(size_t n, unsigned seed) {
  std::vector<uint8_t> b(n);
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < n; i++) {
    x = x * 1103515245u + 12345u;
    b[i] = (i % 7 == 0) ? uint8_t(x >> 24) : uint8_t("kestin package "[i % 15] + (x >> 30));
  }
  return b;
}

// The minimal product: the setup script alone.
inline std::string MinimalProduct(const std::string& dir) {
  WriteFile(dir + "KESTIN/kestin.ini", "[General]\r\nCaption=Test\r\n");
  return dir;
}

// Every file under `root`, by path relative to it, with its bytes.
inline std::map<std::string, std::vector<uint8_t>> Tree(const std::string& root) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files[fs::relative(e.path(), root).generic_string()] = ReadWholeFile(e.path().string());
  return files;
}

inline std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  for (auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  return names;
}

// The plain cabinet from a package (or a separate cabinet file at offset 0).
inline std::vector<uint8_t> PlainCabinet(const std::vector<uint8_t>& file, size_t offset) {
  std::vector<uint8_t> cab(file.begin() + long(offset), file.end());
  XorCabinetHead(cab.data(), cab.size());
  return cab;
}

}  // namespace packtest
