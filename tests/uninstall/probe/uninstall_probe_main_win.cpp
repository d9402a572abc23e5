// The setup program's entry with every message box answered from the
// environment instead of shown: KESTIN_PROBE_ANSWER is Y or N for a Yes/No
// question, and each message is appended to the file KESTIN_PROBE_OUT as
// "caption|text" on one line (each CR and LF becomes a "~"). Started as the
// uninstaller (/U) it also starts its removal helper (/D), a copy of itself
// that inherits both variables.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/entry.h"
#include "base/message_box.h"

static int Answer(void*, const char* text, const char* caption, unsigned flags) {
  const char* out = getenv("KESTIN_PROBE_OUT");
  if (out) {
    if (FILE* f = fopen(out, "ab")) {
      std::string line = std::string(caption) + "|" + text;
      for (char& c : line)
        if (c == '\r' || c == '\n') c = '~';
      fprintf(f, "%s\n", line.c_str());
      fclose(f);
    }
  }
  const char* answer = getenv("KESTIN_PROBE_ANSWER");
  if ((flags & 0xF) == MB_YESNO) return answer && answer[0] == 'Y' ? IDYES : IDNO;
  return IDOK;
}

int main() {
  MessageHook = Answer;
  return RunProgram();
}
