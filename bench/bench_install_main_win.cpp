// Installs a package's first option into a folder through the install
// engine, headless, as the setup program's install page would: the worker
// thread, one cabinet reader for the run, the uninstall log, the uninstall
// entry. Timed from outside against the system's own copy command.
//   bench_install PACKAGE DESTINATION WINDOWS_FOLDER
#include <windows.h>

#include <stdio.h>

#include "base/files.h"
#include "base/message_box.h"
#include "install/install_run.h"
#include "script/ini_file.h"
#include "package/cabinet_reader.h"
#include "package/package_files.h"
#include "package/helper_library.h"
#include "package/package_locate.h"

static int Report(void*, const char* text, const char* caption, unsigned) {
  fprintf(stderr, "bench_install: %s: %s\n", caption, text);
  return IDOK;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: bench_install PACKAGE DESTINATION WINDOWS_FOLDER\n");
    return 2;
  }
  MessageHook = Report;
  TStr package = argv[1];
  TPackagePlace place = LocatePackage(package);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  TStr work = TStr(temp) + "kestin-bench-install\\";
  CreateDirectoryA(work.c_str(), nullptr);
  if (place.cabinetPath.empty() || !LoadHelperLibraryFrom(package, place.cabinetOffset, work)) {
    fprintf(stderr, "bench_install: not a package: %s\n", argv[1]);
    return 1;
  }
  if (!ExtractCabinetFile(place, "KESTIN\\kestin.ini", work)) return 1;
  TIniFile script(work + "KESTIN\\kestin.ini");

  TInstallRun run;
  run.Script = &script;
  run.PackagePath = package;
  run.Package = place;
  run.SystemFolder = SystemFolderPath();
  run.WindowsFolder = argv[3];
  CreateDirectoryA(argv[3], nullptr);
  run.Choices.ComponentCount = 1;
  run.Choices.ComponentChecks[0] = true;
  run.Choices.ComponentSizes[0] = 1;
  run.Choices.Destination = argv[2];
  run.FinalPauseMs = 0;
  TMessageBoxHost host;  // its boxes go to Report
  run.Host = &host;
  TInstallOutcome outcome = StartInstall(run);
  UnloadHelperLibrary();
  DeleteFileA((work + "KESTIN\\kestin.ini").c_str());
  RemoveDirectoryA((work + "KESTIN").c_str());
  RemoveDirectoryA(work.c_str());
  return outcome == kInstallSucceeded ? 0 : 1;
}
