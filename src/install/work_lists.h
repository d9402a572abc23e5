// The install run's three work lists, gathered from the selected options.
#pragma once
#include "base/str_list.h"
#include "install/install_choices.h"

struct TWorkLists {
  TStrList Installed;     // the _List sections: into the destination folder
  TStrList System;        // the _Sys sections: into the system folder
  TStrList Registration;  // the _Reg sections: system files to register
  // Sum of the selected options' sizes. 64-bit: a product of several
  // gigabytes must not wrap into a small number.
  long long TotalBytes = 0;
};

// For each selected option k = 1..ComponentCount in order, its _List, _Sys and
// _Reg sections; duplicates stay (a file named twice is installed and
// recorded twice).
void BuildWorkLists(const TScriptValues& script, const TInstallChoices& choices, TWorkLists& out);
