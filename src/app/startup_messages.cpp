#include "app/startup.h"
#include "package/package_error.h"

TStr StartupErrorText(const TError& e) {
  if (e.Domain != kErrorStart) return PackageErrorText(e);
  switch (e.Code) {
    case kStartNoCabinet: return "No CAB files.";
    case kStartBusy: return "Another setup is already running.\n\nPlease finish it first, then start this setup again.";
    case kStartNoWorkspace: return "Setup cannot create its temporary folder:\n" + e.Subject;
    case kStartScriptNotWritten:
      return Concat("Setup cannot write its setup script to the temporary folder:\n", e.Subject,
                    "\n\nThe disk may be full.");
    case kStartProgramDamaged:
      return "Setup cannot start: its program is damaged.\n\nDownload the package again.";
    case kStartProgramNotWritten:
      return Concat("Setup cannot write its program to the temporary folder:\n", e.Subject,
                    "\n\nThe disk may be full.");
    case kStartProgramNotLoaded:
      return "Setup cannot start its program:\n" + e.Subject;
    case kStartNoMemory: return "Setup cannot start: there is not enough memory.";
    default: return PackageErrorText(e);
  }
}
