#include <windows.h>

#include "base/message_box.h"

TMessageHook MessageHook = nullptr;

int ShowMessage(void* owner, const char* text, const char* caption, unsigned flags) {
  if (MessageHook) return MessageHook(owner, text, caption, flags);
  return MessageBoxA((HWND)owner, text, caption, flags);
}

bool TMessageBoxHost::Ask(const TStr& question, const TStr& caption, bool) {
  return ShowMessage(Owner, question.c_str(), caption.c_str(), MB_YESNO | MB_ICONWARNING) == IDYES;
}

bool TMessageBoxHost::AskRetry(const TStr& problem, const TStr& caption) {
  return ShowMessage(Owner, problem.c_str(), caption.c_str(), MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY;
}

void TMessageBoxHost::Tell(TNoticeKind kind, const TStr& text, const TStr& caption) {
  static const unsigned kIcons[] = {MB_ICONERROR, MB_ICONWARNING, MB_ICONINFORMATION};
  ShowMessage(Owner, text.c_str(), caption.c_str(), MB_OK | kIcons[kind]);
}
