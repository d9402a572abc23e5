#include <windows.h>

#include "app/program_args.h"
#include "app/silent_args.h"
#include "app/silent_mode.h"
#include "base/message_box.h"

namespace {

// The hook has no context of its own; these live as long as the process's
// one unattended run.
TRunLog* g_log = nullptr;
bool g_confirmRemoval = false;

int AnswerSilently(void*, const char* text, const char* caption, unsigned flags) {
  unsigned buttons = flags & MB_TYPEMASK;
  bool question = buttons == MB_YESNO || buttons == MB_YESNOCANCEL;
  int answer = !question ? IDOK : g_confirmRemoval ? IDYES : IDNO;
  if (g_log) {
    TStr what = Concat(caption, ": ", text);
    if (question) what += answer == IDYES ? " - answered Yes" : " - answered No";
    g_log->Line(RunLogLine(question ? "question" : "message", what));
  }
  return answer;
}

}  // namespace

void AnswerBoxesSilently(TRunLog* log) {
  g_log = log;
  MessageHook = AnswerSilently;
}

void ConfirmRemoval(bool on) { g_confirmRemoval = on; }

TStrList ArgumentsFrom(int first) {
  TStrList list;
  for (int i = first; i < first + 64; i++) {
    TStr arg = ProgramArgument(i);
    if (arg.empty()) break;
    list.Add(arg);
  }
  return list;
}

void ShowSwitches() {
  ShowMessage(nullptr, SilentSwitchesText().c_str(), "Setup", MB_OK | MB_ICONINFORMATION);
}
