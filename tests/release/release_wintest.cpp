// The package a user gets: this tree's own setup.exe and uncab.dll, put
// together by kestin-pack from the demo product, started as a user starts it.
// In the i686 tree that is the release itself, with its own entry point,
// section layout and stack settings, none of which the probe programs of the
// other tests share.
#include <doctest/doctest.h>

#include <windows.h>

#include <string>

#include "process_win.h"
#include "test_files.h"

namespace {

struct TFind {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindVisibleWindowOf(HWND w, LPARAM param) {
  TFind* f = reinterpret_cast<TFind*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != f->pid || !IsWindowVisible(w)) return TRUE;
  f->found = w;
  return FALSE;
}

// The first visible top-level window of process `pid`, waiting up to `ms`.
HWND WaitForWindow(DWORD pid, HANDLE process, unsigned ms) {
  for (unsigned waited = 0; waited < ms; waited += 100) {
    TFind f = {pid, nullptr};
    EnumWindows(FindVisibleWindowOf, reinterpret_cast<LPARAM>(&f));
    if (f.found) return f.found;
    if (WaitForSingleObject(process, 100) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

BOOL CALLBACK FindBoxOf(HWND w, LPARAM param) {
  TFind* f = reinterpret_cast<TFind*>(param);
  DWORD pid = 0;
  char cls[16] = "";
  GetWindowThreadProcessId(w, &pid);
  GetClassNameA(w, cls, sizeof cls);
  if (pid != f->pid || !IsWindowVisible(w) || std::string(cls) != "#32770") return TRUE;
  f->found = w;
  return FALSE;
}

// A message box the process shows, or null.
HWND FindQuestionBox(DWORD pid) {
  TFind f = {pid, nullptr};
  EnumWindows(FindBoxOf, reinterpret_cast<LPARAM>(&f));
  return f.found;
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

}  // namespace

TEST_CASE("the real package starts, shows its script's caption, is cancelled cleanly and leaves no trace") {
  std::string dir = NewScratchFolder("release");
  std::string temp = NewScratchFolder("release-tmp");
  std::string exe = dir + "demo-setup.exe";
  REQUIRE(RunAndWait("\"" + BinaryPath("kestin-pack.exe") + "\" build \"" + SourcePath("examples\\demo") +
                         "\" -o \"" + exe + "\" --stub \"" + BinaryPath("setup.exe") + "\" --dll \"" +
                         BinaryPath("uncab.dll") + "\"",
                     dir) == 0);

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

  // The package shows its background and wizard under the caption its script
  // names; closing it asks whether to leave setup, and Yes ends the run.
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
    for (int i = 0; i < 200 && WaitForSingleObject(pi.hProcess, 100) == WAIT_TIMEOUT; i++) {
      HWND box = FindQuestionBox(pi.dwProcessId);
      if (box) PostMessageA(box, WM_COMMAND, IDYES, 0);
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
