// One start of a package for the start loop of `make bench`
// (bench/start-loop.sh): starts it, times how long its wizard takes to show,
// waits for the wizard's first page, then leaves setup as a user would
// (Cancel, Yes, OK) and waits for it to end, so that every start of the loop
// ends the same way and leaves nothing running.
//   bench_start PACKAGE FIRST-PAGE-TITLE
// Prints "wizard shown after N ms" once the first page is up. Exit 0: shown
// and ended through Cancel; 1: no wizard or not its first page; 3: shown, but
// setup did not end through Cancel.
#include <stdio.h>

#include <string>

#include "e2e/driver_win.h"

// Whether setup still runs and, if not, its exit code: a setup that ended
// before its wizard showed failed at start-up, one still running is stuck.
static std::string ProcessState(TSetupDriver& d) {
  DWORD code = 0;
  if (!d.Process.hProcess || !GetExitCodeProcess(d.Process.hProcess, &code)) return "setup did not start";
  if (code == STILL_ACTIVE) return d.Background() ? "setup runs, its background window is up" : "setup runs, no window";
  return "setup ended with exit code " + std::to_string(code);
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: bench_start PACKAGE FIRST-PAGE-TITLE\n");
    return 2;
  }
  std::string package = argv[1];
  std::string folder = package.substr(0, package.find_last_of("\\/") + 1);
  TSetupDriver d;
  DWORD start = GetTickCount();
  if (!d.Start("\"" + package + "\"", folder) ||
      !d.WaitFor([&] { return d.Wizard() != nullptr; }, 30000, "the wizard")) {
    printf("no wizard: %s (%s)\n", d.Failure.c_str(), ProcessState(d).c_str());
    return 1;
  }
  // Timed as kestin-e2e times it, to the wizard's window; the page's text is
  // waited for separately so that a wizard without its first page fails.
  DWORD shown = GetTickCount() - start;
  if (!d.WaitPage(argv[2], 30000)) {
    printf("wizard without its first page: %s (%s)\n", d.Failure.c_str(), ProcessState(d).c_str());
    return 1;
  }
  printf("wizard shown after %lu ms\n", (unsigned long)shown);
  fflush(stdout);
  if (!d.Press("Cancel") || !d.Answer("Do you really want to leave setup?", IDYES) ||
      !d.Answer("Setup was cancelled", IDOK) || !d.WaitExit(20000)) {
    printf("setup did not end through Cancel: %s (%s)\n", d.Failure.c_str(), ProcessState(d).c_str());
    return 3;
  }
  return 0;
}
