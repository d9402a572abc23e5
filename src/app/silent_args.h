// The arguments of an unattended run: `setup.exe /S NAME=value ...` for an
// install, `... /U "log" /S [LOG=file]` for an uninstall. Every value comes
// as its own NAME=value argument, so no value can ever be read as a mode.
#pragma once
#include "base/run_exit.h"
#include "base/str.h"
#include "base/str_list.h"
#include "install/script_rules.h"

struct TSilentArgs {
  bool HasDir = false;
  TStr Dir;
  bool HasGroup = false;
  TStr Group;
  // COMPONENTS: the option numbers given (1-based, at most kMaxOptions).
  bool HasComponents = false;
  bool Components[kMaxOptions] = {};
  bool HasUser = false;
  TStr User;
  bool HasCompany = false;
  TStr Company;
  bool NoShortcuts = false;
  bool NoAssoc = false;
  TStr LogPath;  // empty: no log
  // Why the arguments were refused (the first reason); empty when accepted.
  TStr Error;
};

// The first argument that selects an unattended install: exactly "/S" in any
// letter case. Anything longer keeps its interactive meaning.
bool IsSilentSwitch(const TStr& argument);
// "/?": the switches are shown.
bool IsHelpSwitch(const TStr& argument);

// Parses the arguments after "/S". LOG= is taken even when another argument
// is refused, so the refusal can be written to the log. False (with Error
// set) for an unknown name, a name given twice, a bare name that needs a
// value or a value on a bare name, an option number outside 1..kMaxOptions,
// or a DIR or LOG that is not a full path.
bool ParseSilentArgs(const TStrList& args, TSilentArgs* out);
// Takes LOG= alone from `args` (the first step of both parsers); false with
// Error set when it is given twice or is not the full path of a file.
bool TakeLog(const TStrList& args, TSilentArgs* out);
// Splits "NAME=value" at the first '=' (NAME upper-cased); a bare NAME has
// no value.
void SplitArgument(const TStr& arg, TStr* name, TStr* value, bool* hasValue);
// The arguments after the uninstaller's "/S": only LOG=.
bool ParseSilentUninstallArgs(const TStrList& args, TSilentArgs* out);

// The text "/?" shows.
TStr SilentSwitchesText();
