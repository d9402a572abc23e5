#include "uninstall/removal_rules.h"

TStr ReplaceExtension(const TStr& path, const char* extension) {
  size_t p = path.find_last_of(".\\:");
  TStr stem = p != TStr::npos && path[p] == '.' ? path.substr(0, p) : path;
  return stem + extension;
}

TStr StartedMarkerPath(const TStr& helperPath) { return ReplaceExtension(helperPath, ".$$$"); }

TStr HelperCommandLine(const TStr& helperPath, const TStr& fileToDelete, const TStr& message) {
  TStr quotedMessage = message;
  char* p = quotedMessage.buffer();
  for (size_t i = 0; i < quotedMessage.size(); i++)
    if (p[i] == '"') p[i] = '\'';
  return Concat("\"", helperPath, "\" /D \"", fileToDelete, "\" \"", quotedMessage, "\"");
}
