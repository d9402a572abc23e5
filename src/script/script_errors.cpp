#include "script/script_errors.h"

#include "script/defaults.h"
#include "script/ini_file.h"
#include "script/reg_ini_file.h"

TStr ScriptErrorText(const TError& error) {
  if (error.Domain != kErrorScript) return TStr();
  switch (error.Code) {
    case kIniWriteFailed:
      return "Ini file write error. File name: " + error.Subject;
    case kRegIniWriteFailed:
      return "Registry write error. Value: " + error.Subject;
    case kEarlierInstallMissing:
      return error.Subject;
  }
  return TStr();
}
