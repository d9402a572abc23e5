// `make demo` without a display: walks the demo package through all nine
// pages, installs, checks, uninstalls through the uninstall entry and checks
// again, leaving a screenshot of every page.
//   kestin-e2e PACKAGE SHOT-FOLDER
#include <stdio.h>

#include "e2e/demo_walk_win.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: kestin-e2e PACKAGE SHOT-FOLDER\n");
    return 2;
  }
  TSetupDriver d;
  d.ShotFolder = argv[2];
  CreateDirectoryA(argv[2], nullptr);
  TDemoChoices choices;
  TDemoInstall installed;
  std::string package = argv[1];
  std::string folder = package.substr(0, package.find_last_of("\\/") + 1);
  DWORD start = GetTickCount();
  if (!d.Start("\"" + package + "\"", folder) ||
      !d.WaitFor([&] { return d.Wizard() != nullptr; }, 30000, "the wizard")) {
    fprintf(stderr, "setup did not show its wizard: %s\n", d.Failure.c_str());
    return 1;
  }
  DWORD shown = GetTickCount() - start;
  if (!WalkDemoInstall(d, choices, installed)) {
    fprintf(stderr, "install walk failed: %s\n", d.Failure.c_str());
    return 1;
  }
  printf("installed into %s\n", installed.Folder.c_str());
  // The walk includes the driver's own waits for each page to paint.
  printf("wizard shown after %lu ms; whole walk with the install %lu ms\n", (unsigned long)shown,
         (unsigned long)(GetTickCount() - start));
  std::string problem = CheckDemoInstalled(choices, installed);
  if (!problem.empty()) {
    fprintf(stderr, "after install: %s\n", problem.c_str());
    return 1;
  }
  if (!RunUninstaller(d, installed.UninstallCommand)) {
    fprintf(stderr, "uninstall failed: %s\n", d.Failure.c_str());
    return 1;
  }
  problem = CheckDemoRemoved(installed);
  if (!problem.empty()) {
    fprintf(stderr, "after uninstall: %s\n", problem.c_str());
    return 1;
  }
  for (const std::string& box : d.Boxes) printf("box: %s\n", box.c_str());
  printf("demo installed, checked and removed\n");
  return 0;
}
