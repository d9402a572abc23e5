// Scripts the installer refuses before it installs anything: values that would
// make the uninstall destroy what is not the product's (a whole registry root,
// the Uninstall key itself, a file type's verbs, a folder outside the
// product's own). The setup program and kestin-pack's script check share this
// one rule, so a package the builder accepts is one the installer accepts.
#pragma once
#include "base/str.h"
#include "base/str_list.h"
#include "script/script_values.h"

// The value of a numbered key: `word` followed by `n` (Name1, Ext2).
TStr NumberedValue(const TScriptValues& script, const char* section, const char* word, int n);
// Appends the values of keys 1, 2, ... of `section` up to the first empty or
// missing one: a number after a gap is never read, by the checks or by the
// install. An empty section name is an empty list.
void ReadNumberedList(const TScriptValues& script, const TStr& section, TStrList& list);

// One value the installer refuses: where it is and a reason a publisher can act
// on ("would delete the whole Uninstall key on uninstall").
struct TScriptRefusal {
  TStr Section;
  TStr Key;
  TStr Reason;
};

// Fills up to `max` refusals into `out` (which may be null when max is 0) and
// returns how many the script has in all; 0 means the script may be installed.
int FindRefusedScriptValues(const TScriptValues& script, TScriptRefusal* out, int max);

// The most options a setup script may have; a script with an Option6_Text is
// refused rather than installed without its sixth option.
const int kMaxOptions = 5;

// Whether a value names a place below its folder: relative, no drive or
// stream colon, no ".." (or other dots-and-blanks-only) part, no device name,
// no empty part. Both '\' and '/' count as separators.
bool StaysInsideFolder(const TStr& relative);
// Whether a value is a single file name that stays in its folder (no
// separator at all).
bool IsPlainFileName(const TStr& name);
