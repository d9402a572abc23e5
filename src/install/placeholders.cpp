#include "install/placeholders.h"

#include <string.h>

namespace {

TStr ReplaceFirst(const TStr& value, const char* name, const TStr& by) {
  size_t at = value.find(name);
  if (at == TStr::npos) return value;
  return Concat(value.substr(0, at), by, value.substr(at + strlen(name)));
}

}  // namespace

TStr ExpandPlaceholders(const TStr& value, const TPlaceholderValues& places) {
  TStr out = ReplaceFirst(value, "%Windows%", places.WindowsFolder);
  out = ReplaceFirst(out, "%InstallPath%", places.InstallPath);
  return ReplaceFirst(out, "%UninstallLog%", places.LogName);
}

TStr ExpandInstallPath(const TStr& value, const TStr& installPath) {
  return ReplaceFirst(value, "%InstallPath%", installPath);
}

TStr ResolveScriptPath(const TStr& value, const TPlaceholderValues& places) {
  if (value.find("%") != TStr::npos) return ExpandPlaceholders(value, places);
  return WithBackslash(places.InstallPath) + value;
}

void SplitTargetArguments(const TStr& value, TStr* target, TStr* arguments) {
  size_t cut = value.find(" /");
  if (cut == TStr::npos) {
    *target = value;
    arguments->clear();
    return;
  }
  *target = value.substr(0, cut);
  *arguments = value.substr(cut + 1);
}

void SplitIconReference(const TStr& value, TStr* file, int* index) {
  size_t comma = value.find(",");
  *index = 0;
  if (comma == TStr::npos) {
    *file = value;
    return;
  }
  *file = value.substr(0, comma);
  TStr number = TrimControl(value.substr(comma + 1));
  int n = 0;
  // Decimal, or hexadecimal after '$'; "0x" is not an icon index form.
  if (number.size() > 1 && number[0] == '0' && (number[1] == 'x' || number[1] == 'X')) return;
  if (StrToInt32(number.c_str(), &n)) *index = n;
}

TStr WorkingFolderOf(const TStr& target) {
  TStr folder = FolderPart(target);
  if (folder.size() > 1 && folder.back() == '\\' && !(folder.size() == 3 && folder[1] == ':'))
    folder.resize(folder.size() - 1);
  return folder;
}
