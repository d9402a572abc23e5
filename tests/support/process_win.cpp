#include "process_win.h"

#include <windows.h>

#include <cstring>
#include <vector>

int RunAndWait(const std::string& commandLine, const std::string& cwd, unsigned timeoutMs) {
  return RunAndWaitWithEnv(commandLine, cwd, {}, timeoutMs);
}

int RunAndWaitWithEnv(const std::string& commandLine, const std::string& cwd,
                      const std::vector<std::string>& extraEnv, unsigned timeoutMs) {
  std::vector<char> env;
  if (!extraEnv.empty()) {
    char* block = GetEnvironmentStringsA();
    for (const char* p = block; *p; p += strlen(p) + 1) {
      std::string entry = p;
      bool replaced = false;
      for (const auto& e : extraEnv)
        if (_strnicmp(entry.c_str(), e.c_str(), e.find('=') + 1) == 0) replaced = true;
      if (!replaced) env.insert(env.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    }
    FreeEnvironmentStringsA(block);
    for (const auto& e : extraEnv) env.insert(env.end(), e.c_str(), e.c_str() + e.size() + 1);
    env.push_back(0);
  }
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back(0);
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, env.empty() ? nullptr : env.data(),
                      cwd.empty() ? nullptr : cwd.c_str(), &si, &pi))
    return -1;
  int result = -1;
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    result = (int)code;
  } else {
    TerminateProcess(pi.hProcess, 1);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return result;
}
