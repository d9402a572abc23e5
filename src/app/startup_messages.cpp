#include "app/startup.h"
#include "package/package_error.h"

namespace {

// A Windows whose code page lacks a character of the temporary folder's name
// (the user's own name, say) cannot write there; disk and package are fine.
TStr RefusedTempName(const TStr& path) {
  return Concat("Setup cannot use the temporary folder: the folder name cannot be used here:\n", path,
                "\n\nThis Windows cannot use all of its characters (Windows 10 version 1903 and later can). "
                "Set TEMP and TMP to a folder with a plain name and start setup again.");
}

}  // namespace

TStr StartErrorText(const TError& e) {
  bool temporary = e.Is(kErrorStart, kStartNoWorkspace) || e.Is(kErrorStart, kStartScriptNotWritten) ||
                   e.Is(kErrorStart, kStartProgramNotWritten);
  if (temporary && IsRefusedName(e.SystemError)) return RefusedTempName(e.Subject);
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
    default: return FileChangedText(e.Subject);
  }
}

TStr StartupErrorText(const TError& e) {
  if (e.Domain == kErrorStart && e.Code != kFileChanged) return StartErrorText(e);
  if (e.Is(kErrorPackage, kLibraryNotWritten) && IsRefusedName(e.SystemError)) return RefusedTempName(e.Subject);
  return PackageErrorText(e);
}
