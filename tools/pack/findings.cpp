#include "findings.h"

std::string Finding_Text(const TFinding& f) {
  std::string text = f.file;
  if (f.line > 0) text += ":" + std::to_string(f.line);
  text += f.severity == kError ? ": error: " : ": warning: ";
  if (!f.section.empty()) {
    text += "[" + f.section + "]";
    text += f.key.empty() ? ": " : " " + f.key + ": ";
  }
  return text + f.reason;
}
