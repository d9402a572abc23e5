// The message loops of the toolkit.
#include "ui/window.h"

void TWinControl::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int TWinControl::RunModal() {
  ModalRunning = true;
  ModalResult = 0;
  // A window that does not exist (any more) can never set a result.
  if (!Handle) ModalResult = 2;
  MSG msg;
  // A quit message does not end the loop; only a result does (set by
  // EndModal, a button, a close request or the window's destruction).
  while (ModalResult == 0) {
    if (GetMessageA(&msg, nullptr, 0, 0) < 0) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  int result = ModalResult;
  ModalResult = 0;
  ModalRunning = false;
  return result;
}

void TWinControl::EndModal(int result) {
  if (ModalRunning) ModalResult = result;
}
