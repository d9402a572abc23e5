// The walk through the demo package's nine pages that the end-to-end tests
// and `make demo` share, and the checks of what an install leaves.
#pragma once
#include <string>

#include "e2e/driver_win.h"

struct TDemoChoices {
  std::string Folder;  // empty: keep the proposed one
  std::string Group;   // empty: keep the proposed one
  bool Guide = true;   // the second option
  bool Shortcuts = true;
  bool Association = true;
  bool CheckBack = false;  // go back from the destination page and check the entries are kept
  std::string Email;       // typed into the e-mail field (a package that offers registration)
  // Alt+F4 on the last page instead of Finish, its boxes left ticked: setup
  // ends without Finish's shortcuts, associations and message.
  bool CloseAtEnd = false;
  // Run after Finish is pressed, before the completion message (the
  // registration offer and its answers); false stops the walk.
  bool (*AtFinish)(TSetupDriver& d) = nullptr;
};

// What the install is expected to have left, filled while walking.
struct TDemoInstall {
  std::string Folder, Group, UninstallCommand;
};

// Package "build\demo" style: the demo's texts are what the walk looks for.
bool WalkDemoInstall(TSetupDriver& d, const TDemoChoices& c, TDemoInstall& out);
// Every page up to the components page, then Cancel and Yes.
bool WalkDemoCancelOnComponents(TSetupDriver& d);

// Checks of the installed product; the first difference, or empty.
std::string CheckDemoInstalled(const TDemoChoices& c, const TDemoInstall& in);

// UTF-8 to UTF-16, and the target a shortcut file names ("<none>" when it
// cannot be read).
std::wstring Wide(const std::string& utf8);
std::wstring LinkTarget(const std::string& link);
std::string CheckDemoRemoved(const TDemoInstall& in);
