// The size an option of the options page stands for: what its file list and
// its system-file list take, as stored in the package. The wizard and the
// unattended install both show and check this one number.
#pragma once
#include "base/error.h"
#include "package/package_layout.h"
#include "script/script_values.h"

// Option `option` (1 and up): the sizes of [Options] Option<n>_List's and
// Option<n>_Sys's files. *error (when given) says what failed to be read.
long long MeasureOption(const TPackagePlace& package, const TScriptValues& script, int option,
                        TError* error = nullptr);
