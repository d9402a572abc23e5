// The registry steps of an uninstall that remove only what is the product's:
// a value it wrote, and a key only when the key holds nothing else.
#pragma once
#include "base/str.h"
#include "uninstall/log_checks.h"

// Deletes one value of a key below `root` (an HKEY); an empty name is the
// key's default value. A value or key that is gone counts as removed.
bool DeleteRegistryValue(void* root, const TStr& keyPath, const TStr& name);

// Deletes the key below `root` with everything in it, but only when what is
// in it is what the installation writes into a key of `role`
// (HoldsOnlyWhatSetupWrites). Otherwise the key stays, the system error is
// ERROR_DIR_NOT_EMPTY and the result false. A key that is gone counts as
// removed.
bool DeleteKeyHoldingOnly(void* root, const TStr& keyPath, TKeyRole role);

// Deletes the default value of the key below `root` only while it is the
// text `type` (letter case aside): an extension's type the installation set,
// which another program may have replaced since. The key stays. A value or
// key that is gone, or names another type, counts as done.
bool DeleteDefaultNaming(void* root, const TStr& keyPath, const TStr& type);
