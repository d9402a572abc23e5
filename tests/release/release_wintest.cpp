// The package a user gets: this tree's own setup.exe and uncab.dll, put
// together by kestin-pack from the demo product, started as a user starts it:
// the loader unpacks the program, which starts, shows the wizard and, told to
// close, cleans up after itself. In the i686 tree that is the release itself,
// with its own entry point, section layout and stack settings, none of which
// the probe programs of the other tests share.
#include <doctest/doctest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "prefix_files_win.h"
#include "process_win.h"
#include "test_files.h"

namespace {

struct TFind {
  DWORD pid;
  const char* className;  // any class when null
  HWND found;
};

BOOL CALLBACK FindVisibleWindowOf(HWND w, LPARAM param) {
  TFind* f = reinterpret_cast<TFind*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != f->pid || !IsWindowVisible(w)) return TRUE;
  char name[64] = "";
  GetClassNameA(w, name, sizeof name);
  if (f->className && std::string(name) != f->className) return TRUE;
  f->found = w;
  return FALSE;
}

// The first visible top-level window of process `pid` (of the class named,
// when one is), waiting up to `ms`.
HWND WaitForWindow(DWORD pid, HANDLE process, unsigned ms, const char* className = nullptr) {
  for (unsigned waited = 0; waited < ms; waited += 100) {
    TFind f = {pid, className, nullptr};
    EnumWindows(FindVisibleWindowOf, reinterpret_cast<LPARAM>(&f));
    if (f.found) return f.found;
    if (WaitForSingleObject(process, 100) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

int CountEntries(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &found);
  int entries = 0;
  if (h == INVALID_HANDLE_VALUE) return 0;
  do entries += std::string(found.cFileName) != "." && std::string(found.cFileName) != "..";
  while (FindNextFileA(h, &found));
  FindClose(h);
  return entries;
}

std::string BuildDemo(const std::string& dir, const std::string& stub) {
  std::string exe = dir + "demo-setup.exe";
  REQUIRE(RunAndWait("\"" + BinaryPath("kestin-pack.exe") + "\" build \"" + SourcePath("examples\\demo") +
                         "\" -o \"" + exe + "\" --stub \"" + stub + "\" --dll \"" + BinaryPath("uncab.dll") + "\"",
                     dir) == 0);
  return exe;
}

}  // namespace

// Runs `exe` with `args` and its own temporary folder: it must end with code
// 1 and leave that folder empty. What a LOG= among the arguments holds is
// returned.
std::string RunRefused(const std::string& exe, const std::string& args, const std::string& dir) {
  std::string temp = NewScratchFolder("release-refused-tmp");
  CHECK(RunAndWaitWithEnv("\"" + exe + "\" " + args, dir, {"TMP=" + temp, "TEMP=" + temp}, 30000) == 1);
  CHECK(CountEntries(temp) == 0);
  size_t log = args.find("LOG=");
  return log == std::string::npos ? std::string() : Text(args.substr(log + 4));
}

TEST_CASE("a package whose program is damaged runs none of it, says so and leaves no trace") {
  std::string dir = NewScratchFolder("release-damaged");
  std::vector<uint8_t> stub = ReadWholeFile(BinaryPath("setup.exe"));
  std::string magic = "KSPL";
  // The last "KSPL": the loader's own code holds the magic word too.
  auto at = std::find_end(stub.begin(), stub.end(), magic.begin(), magic.end());
  REQUIRE(at != stub.end());
  at[400] ^= 0x10;  // one byte of the carried program
  REQUIRE(WriteWholeFile(dir + "damaged.exe", stub));
  std::string exe = BuildDemo(dir, dir + "damaged.exe");
  const std::string runs[] = {"/S LOG=" + dir + "install.log", "/U C:\\nowhere\\Uninst.log /S LOG=" + dir + "uninstall.log"};
  for (const std::string& args : runs) {
    CAPTURE(args);
    CHECK(RunRefused(exe, args, dir).find("FAILED refused: Setup cannot start: its program is damaged.") !=
          std::string::npos);
  }
}

// Run by its own test entry with no display for Wine to show windows on:
// the system then gives the program no window at all, as a desktop out of
// resources or a service's session would.
TEST_CASE("a run that gets no window ends with code 1 and leaves no trace" * doctest::skip()) {
  std::string dir = NewScratchFolder("release-no-window");
  RunRefused(BuildDemo(dir, BinaryPath("setup.exe")), "", dir);
}

TEST_CASE("the real package starts, shows its script's caption, ends cleanly and leaves no trace") {
  std::string dir = NewScratchFolder("release");
  std::string temp = NewScratchFolder("release-tmp");
  std::string exe = BuildDemo(dir, BinaryPath("setup.exe"));

  // The package inherits this temporary folder; nothing else of the test's
  // environment changes.
  std::string oldTmp(MAX_PATH, '\0'), oldTemp(MAX_PATH, '\0');
  oldTmp.resize(GetEnvironmentVariableA("TMP", &oldTmp[0], MAX_PATH));
  oldTemp.resize(GetEnvironmentVariableA("TEMP", &oldTemp[0], MAX_PATH));
  SetEnvironmentVariableA("TMP", temp.c_str());
  SetEnvironmentVariableA("TEMP", temp.c_str());
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string line = "\"" + exe + "\"";
  BOOL started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi);
  SetEnvironmentVariableA("TMP", oldTmp.c_str());
  SetEnvironmentVariableA("TEMP", oldTemp.c_str());
  REQUIRE(started);

  // The wizard comes up under the caption the script names. Closing it
  // asks whether to leave setup; Yes, then OK to "cancelled", ends the run.
  HWND window = WaitForWindow(pi.dwProcessId, pi.hProcess, 30000);
  CHECK(window != nullptr);
  if (window) {
    char caption[256] = "";
    GetWindowTextA(window, caption, sizeof caption);
    CHECK(std::string(caption) == "Kestrel Notes 1.0 Setup");
    // Its workspace is in the folder given to it (else the check after the
    // run would prove nothing).
    CHECK(CountEntries(temp) > 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
    HWND question = WaitForWindow(pi.dwProcessId, pi.hProcess, 10000, "#32770");
    CHECK(question != nullptr);
    if (question) {
      PostMessageA(question, WM_COMMAND, IDYES, 0);
      for (int i = 0; i < 100 && IsWindow(question); i++) Sleep(100);
      HWND cancelled = WaitForWindow(pi.dwProcessId, pi.hProcess, 10000, "#32770");
      if (cancelled) PostMessageA(cancelled, WM_COMMAND, IDOK, 0);
    }
  }
  DWORD code = 12345;
  if (WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(pi.hProcess, &code);
  } else {
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CHECK(code == 0);
  CHECK(CountEntries(temp) == 0);  // the temporary folder is as empty as before
}
