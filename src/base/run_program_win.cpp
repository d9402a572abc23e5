#include <windows.h>

#include "base/run_program.h"

bool RunProgram(const char* application, const TStr& commandLine, int showState, bool wait,
                unsigned* exitCode, TError* error) {
  *exitCode = 0;
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = (WORD)showState;
  PROCESS_INFORMATION pi;
  TStr line = commandLine;  // CreateProcessA may write into the command line
  if (!CreateProcessA(application, line.buffer(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &si, &pi)) {
    error->Set(kErrorSystem, kRunProgramFailed, GetLastError(), commandLine);
    return false;
  }
  if (wait) {
    DWORD code = 0;
    WaitForSingleObject(pi.hProcess, INFINITE);
    // An exit code that cannot be read is never taken for success.
    if (!GetExitCodeProcess(pi.hProcess, &code)) code = GetLastError();
    *exitCode = code;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}
