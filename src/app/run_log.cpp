#include "app/run_log.h"

namespace {

TStr OneLine(const TStr& text) {
  // Trailing line ends (system messages carry them) go; any other control
  // character becomes a blank.
  size_t n = text.size();
  while (n > 0 && (unsigned char)text[n - 1] < 32) n--;
  TStr out = text.substr(0, n);
  char* p = out.buffer();
  for (size_t i = 0; i < n; i++)
    if ((unsigned char)p[i] < 32) p[i] = ' ';
  return out;
}

}  // namespace

TStr RunLogLine(const char* action, const TStr& subject) { return Concat(action, ": ", OneLine(subject)); }

TStr RunLogFailureLine(const char* action, const TStr& subject, unsigned systemError, const TStr& systemText) {
  TStr line = Concat("FAILED ", action, ": ", OneLine(subject));
  if (systemError) line += Concat(": ", OneLine(systemText), systemText.empty() ? "(" : " (", IntToStr(systemError), ")");
  return line;
}
