// What the wizard hands the install engine: the user's choices in a plain
// form. The wizard fills it from its controls on its own thread before the
// run starts; the worker reads only this copy, never the controls, and tests
// fill it directly.
#pragma once
#include "base/str.h"
#include "install/script_rules.h"

struct TInstallChoices {
  // Options listed on the options page (at most kMaxOptions), whether each
  // is checked, and each one's size in bytes as measured in the cabinet.
  int ComponentCount = 0;
  bool ComponentChecks[kMaxOptions] = {};
  long long ComponentSizes[kMaxOptions] = {};
  // The destination folder as the user left it (FolderEdit).
  TStr Destination;
  // The program group (GroupEdit) and whether the user picked one that
  // existed before (it is then never removed whole on uninstall).
  TStr Group;
  bool GroupExisted = false;
  // The user page (NameEdit, CompanyEdit).
  TStr UserName;
  TStr Company;
};
