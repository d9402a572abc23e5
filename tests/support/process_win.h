// Starting programs from Windows tests.
#pragma once
#include <string>
#include <vector>

// Runs `commandLine` in folder `cwd` (empty: the current one) and waits at most
// `timeoutMs`; returns the exit code, or -1 when it could not start or timed out
// (a timed-out process is killed).
int RunAndWait(const std::string& commandLine, const std::string& cwd, unsigned timeoutMs = 60000);

// The same with extra environment variables ("NAME=value" each) on top of
// this process's environment.
int RunAndWaitWithEnv(const std::string& commandLine, const std::string& cwd,
                      const std::vector<std::string>& extraEnv, unsigned timeoutMs = 60000);
