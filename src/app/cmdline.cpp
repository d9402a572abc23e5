#include "app/cmdline.h"

namespace {

bool IsBlank(char c) { return (unsigned char)c >= 1 && (unsigned char)c <= 32; }
bool EndsArgument(char c) { return (unsigned char)c <= 32; }

// Reads one argument starting at p; returns where the next one may start.
const char* ReadArgument(const char* p, TStr* out) {
  for (;;) {
    while (IsBlank(*p)) p++;
    // A lone pair of double quotes before an argument is ignored.
    if (p[0] == '"' && p[1] == '"') { p += 2; continue; }
    break;
  }
  // Built straight into the text: a page-sized buffer on the stack would be
  // more than the release build allows one frame.
  TStr arg;
  bool quoted = false;
  for (; *p; p++) {
    char c = *p;
    if (c == '"') { quoted = !quoted; continue; }
    if (!quoted && EndsArgument(c)) break;
    if (out && arg.size() < (size_t)kMaxArgumentLength) arg += c;
  }
  if (out) *out = static_cast<TStr&&>(arg);
  return p;
}

}  // namespace

TStr CommandLineArgument(const char* commandLine, int index) {
  if (!commandLine || index < 1) return TStr();
  const char* p = ReadArgument(commandLine, nullptr);  // the program name
  TStr arg;
  for (int i = 1; i <= index; i++) {
    if (!*p) return TStr();
    p = ReadArgument(p, &arg);
  }
  return arg;
}
