#include <windows.h>

#include "base/message_box.h"

TMessageHook MessageHook = nullptr;

int ShowMessage(void* owner, const char* text, const char* caption, unsigned flags) {
  if (MessageHook) return MessageHook(owner, text, caption, flags);
  return MessageBoxA((HWND)owner, text, caption, flags);
}
