#include "app/silent_args.h"
#include "install/folder_rules.h"

namespace {

// "1,3": option numbers separated by commas; an empty list selects none.
bool ParseComponents(const TStr& list, bool* selected, TStr* error) {
  size_t i = 0;
  while (i < list.size()) {
    int n = 0, digits = 0;
    while (i < list.size() && list[i] >= '0' && list[i] <= '9') {
      if (++digits <= 3) n = n * 10 + (list[i] - '0');
      i++;
    }
    if (digits == 0 || (i < list.size() && list[i] != ',') || (i + 1 == list.size())) {
      *error = Concat("COMPONENTS must be option numbers separated by commas, such as 1,3: ", list);
      return false;
    }
    if (digits > 3 || n < 1 || n > kMaxOptions) {
      *error = Concat("COMPONENTS names option ", list.substr(i - digits, digits), "; options are numbered 1 to ",
                      IntToStr(kMaxOptions));
      return false;
    }
    selected[n - 1] = true;
    if (i < list.size()) i++;  // the comma
  }
  return true;
}

bool TakeValue(bool* seen, TStr* slot, const TStr& name, const TStr& value, TStr* error) {
  if (*seen) {
    *error = name + " is given twice";
    return false;
  }
  *seen = true;
  *slot = value;
  return true;
}

bool TakeFlag(bool* flag, const TStr& name, bool hasValue, TStr* error) {
  if (hasValue) {
    *error = name + " takes no value";
    return false;
  }
  if (*flag) {
    *error = name + " is given twice";
    return false;
  }
  *flag = true;
  return true;
}

}  // namespace

bool ParseSilentArgs(const TStrList& args, TSilentArgs* out) {
  if (!TakeLog(args, out)) return false;
  TStr& error = out->Error;
  for (int i = 0; i < args.Count(); i++) {
    TStr name, value;
    bool hasValue, ok = true;
    SplitArgument(args[i], &name, &value, &hasValue);
    bool valued = name == "DIR" || name == "GROUP" || name == "COMPONENTS" || name == "USER" ||
                  name == "COMPANY" || name == "LOG";
    if (valued && !hasValue) {
      error = Concat(name, " needs a value: ", name, "=...");
      return false;
    }
    if (name == "DIR") {
      ok = TakeValue(&out->HasDir, &out->Dir, name, value, &error);
      if (ok && !IsFullFolderPath(value)) {
        error = "DIR must be a full folder path, such as C:\\Program Files\\Product: " + value;
        ok = false;
      }
    } else if (name == "GROUP") {
      ok = TakeValue(&out->HasGroup, &out->Group, name, value, &error);
      if (ok && !IsAcceptableGroupName(value)) {
        error = "GROUP must be a name below the programs menu, without a drive or \"..\": " + value;
        ok = false;
      }
    } else if (name == "COMPONENTS") {
      TStr unused;
      ok = TakeValue(&out->HasComponents, &unused, name, value, &error) &&
           ParseComponents(value, out->Components, &error);
    } else if (name == "USER") {
      ok = TakeValue(&out->HasUser, &out->User, name, value, &error);
    } else if (name == "COMPANY") {
      ok = TakeValue(&out->HasCompany, &out->Company, name, value, &error);
    } else if (name == "NOSHORTCUTS") {
      ok = TakeFlag(&out->NoShortcuts, name, hasValue, &error);
    } else if (name == "NOASSOC") {
      ok = TakeFlag(&out->NoAssoc, name, hasValue, &error);
    } else if (name == "LOG") {
      // taken above
    } else {
      error = "Unknown argument: " + args[i];
      ok = false;
    }
    if (!ok) return false;
  }
  return true;
}

bool ParseSilentUninstallArgs(const TStrList& args, TSilentArgs* out) {
  if (!TakeLog(args, out)) return false;
  for (int i = 0; i < args.Count(); i++) {
    TStr name, value;
    bool hasValue;
    SplitArgument(args[i], &name, &value, &hasValue);
    if (name == "LOG" && hasValue) continue;
    out->Error = "Unknown argument for an unattended uninstall (only LOG= is taken): " + args[i];
    return false;
  }
  return true;
}

TStr SilentSwitchesText() {
  return "Unattended install (no window, no questions):\r\n"
         "  setup.exe /S [NAME=value ...]\r\n\r\n"
         "DIR=folder\tdestination, a full path\r\n"
         "GROUP=name\tprogram group\r\n"
         "COMPONENTS=1,3\toptions to install\r\n"
         "USER=name\tuser name\r\n"
         "COMPANY=name\torganisation\r\n"
         "NOSHORTCUTS\tno shortcuts\r\n"
         "NOASSOC\tno file associations\r\n"
         "LOG=file\tplain-text log of every action\r\n\r\n"
         "Unattended uninstall: the uninstall command followed by /S [LOG=file].\r\n\r\n"
         "Exit codes: 0 done, 1 refused before anything changed, 2 failed and undone,\r\n"
         "3 failed and not everything could be undone.";
}
