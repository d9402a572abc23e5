// A window that cannot be made is fatal: the message box without owner or
// caption text of its own, then the end of the program with a failure code.
// Also: another program's toolkit windows are never taken for our own.
#include <doctest/doctest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "test_files.h"
#include "ui/window.h"

namespace {

struct TFound {
  DWORD Process;
  HWND Box;
};

BOOL CALLBACK FindBox(HWND w, LPARAM param) {
  TFound* f = reinterpret_cast<TFound*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  char cls[16];
  GetClassNameA(w, cls, sizeof cls);
  if (pid == f->Process && std::string(cls) == "#32770" && IsWindowVisible(w)) {
    f->Box = w;
    return FALSE;
  }
  return TRUE;
}

struct TOutcome {
  std::string Text;
  HWND Owner = nullptr;
  DWORD ExitCode = 0;
};

// Runs the probe, reads the message box it shows, answers it and waits.
TOutcome RunProbe(const char* what) {
  TOutcome out;
  std::string line = "\"" + BinaryPath("tests/ui_fatal_probe.exe") + "\" " + what;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  REQUIRE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  TFound found = {pi.dwProcessId, nullptr};
  for (int i = 0; i < 200 && !found.Box; i++) {
    if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) break;
    EnumWindows(FindBox, (LPARAM)&found);
  }
  if (found.Box) {
    char text[256] = "";
    GetDlgItemTextA(found.Box, 0xFFFF, text, sizeof text);
    out.Text = text;
    out.Owner = GetWindow(found.Box, GW_OWNER);
    PostMessageA(found.Box, WM_COMMAND, IDOK, 0);
  }
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
  GetExitCodeProcess(pi.hProcess, &out.ExitCode);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return out;
}

}  // namespace

TEST_CASE("a window class that cannot be registered: \"WinRegister failed\", then the end") {
  TOutcome o = RunProbe("register");
  CHECK(o.Text == "WinRegister failed");
  CHECK(o.Owner == nullptr);
  CHECK(o.ExitCode == 1);
}

TEST_CASE("a toolkit window that cannot be created: \"WinCreate failed\", then the end") {
  TOutcome o = RunProbe("create");
  CHECK(o.Text == "WinCreate failed");
  CHECK(o.ExitCode == 1);
}

TEST_CASE("a system control that cannot be created: \"StdCreate failed\", then the end") {
  TOutcome o = RunProbe("std");
  CHECK(o.Text == "StdCreate failed");
  CHECK(o.ExitCode == 1);
}

TEST_CASE("the fatal creation messages go through the message hook that tests answer") {
  std::string file = BinaryPath("tests/ui-fatal-hook.txt");
  for (const char* what : {"register", "create", "std"}) {
    CAPTURE(what);
    DeleteFileA(file.c_str());
    std::string line = "\"" + BinaryPath("tests/ui_fatal_probe.exe") + "\" " + what + " \"" + file + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    REQUIRE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    // No box waits for a click: the hook answers at once.
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CHECK(code == 1);
    std::string expected = std::string(what) == "register" ? "WinRegister failed"
                           : std::string(what) == "create" ? "WinCreate failed"
                                                           : "StdCreate failed";
    std::vector<uint8_t> got = ReadWholeFile(file);
    CHECK(std::string(got.begin(), got.end()) == expected + "|(none)|unowned|0");
  }
  DeleteFileA(file.c_str());
}

TEST_CASE("a toolkit window of another program is not taken for an object of this one") {
  std::string line = "\"" + BinaryPath("tests/ui_fatal_probe.exe") + "\" foreign";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  REQUIRE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  HWND foreign = nullptr;
  for (int i = 0; i < 200 && !foreign; i++) {
    Sleep(50);
    foreign = FindWindowA("TWKTFORM", "Kestin foreign probe");
  }
  REQUIRE(foreign != nullptr);
  CHECK(GetPropA(foreign, "__SELF__") != nullptr);  // marked, in the other process
  CHECK(TWinControl::FromHandle(foreign) == nullptr);
  PostMessageA(foreign, WM_CLOSE, 0, 0);
  CHECK(WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CHECK(code == 2);  // its modal loop ended by the close request
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}
