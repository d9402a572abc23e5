// Focus and keyboard handling of TWinControl: the focused child of a form, Tab
// and Shift+Tab navigation, and what happens when a control loses the focus.
#include "ui/window.h"

#include <string.h>

#include "ui/dispatch_rules.h"

void TWinControl::SetFocus() {
  if (Handle) ::SetFocus(Handle);
}

static bool IsFocusable(const void* context, int i) {
  const TWinControl* c = static_cast<const TWinControl* const*>(context)[i];
  return c->Visible && c->Enabled && c->TabStop;
}

void TWinControl::MoveFocus(bool backwards) {
  int focused = -1;
  for (int i = 0; i < ChildTotal; i++)
    if (Children[i] == FocusedChild) focused = i;
  bool firstAvailable = ChildTotal > 0 && Children[0]->Visible && Children[0]->Enabled;
  int target = FindTabTarget(ChildTotal, focused, backwards, firstAvailable, IsFocusable, Children);
  if (target < 0) return;
  FocusedChild = Children[target];
  FocusedChild->SetFocus();
}

static unsigned char CurrentKeyShiftState(LPARAM keyData) {
  return KeyShiftState(GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0, (long)keyData);
}

bool TWinControl::KeyDown(int key, LPARAM keyData) {
  TWinControl* form = this;
  while (!SameTextAscii(form->ClassName, "TWKTFORM") && form->Parent) form = form->Parent;
  if (form != this && form->KeyDown(key, keyData)) return true;
  unsigned char shift = CurrentKeyShiftState(keyData);
  if (key == VK_TAB) {
    // Tab never reaches the system: the form moves the focus itself.
    form->MoveFocus(shift & ShiftKey);
    if (OnKeyDown) OnKeyDown.Code(OnKeyDown.Data, this, key, shift);
    return true;
  }
  // Escape cancels as a click on the form's Cancel would; a held key clicks
  // once, and Alt+Escape stays the system's.
  const LPARAM AltOrRepeat = 0x60000000;
  TWinControl* cancel = form->CancelControl;
  if (key == VK_ESCAPE && form == this && cancel && !(keyData & AltOrRepeat)) {
    if (OnKeyDown) OnKeyDown.Code(OnKeyDown.Data, this, key, shift);
    // As a user could see and click it: also not when a parent hides it.
    if (cancel->Handle && IsWindowVisible(cancel->Handle) && IsWindowEnabled(cancel->Handle))
      cancel->Click();
    return true;
  }
  if (OnKeyDown) OnKeyDown.Code(OnKeyDown.Data, this, key, shift);
  return key == 0;
}

static TWinControl* Topmost(TWinControl* c) {
  while (c->Parent) c = c->Parent;
  return c;
}

bool TWinControl::KeyUp(int key, LPARAM keyData) {
  TWinControl* top = Topmost(this);
  if (top != this && top->KeyUp(key, keyData)) return true;
  if (OnKeyUp) OnKeyUp.Code(OnKeyUp.Data, this, key, CurrentKeyShiftState(keyData));
  return key == 0;
}

bool TWinControl::KeyPress(char ch) {
  TWinControl* top = Topmost(this);
  if (top != this && top->KeyPress(ch)) return true;
  if (OnKeyPress) OnKeyPress.Code(OnKeyPress.Data, this, ch);
  return ch == 0;
}

// Set while a control takes the focus back, so two controls without a Tab
// stop cannot hand the focus to each other for ever.
static bool TakingFocusBack;

void TWinControl::FocusLost(HWND receiver) {
  if (!receiver) return;
  TWinControl* target = FromHandle(receiver);
  if (target) {
    // A control without a Tab stop (a label, the form itself) does not keep
    // the focus within its window; other top-level windows may take it.
    if (!target->TabStop && !TakingFocusBack && (GetWindowLongA(Handle, GWL_STYLE) & WS_CHILD) &&
        GetAncestor(receiver, GA_ROOT) == GetAncestor(Handle, GA_ROOT)) {
      TakingFocusBack = true;
      SetFocus();
      TakingFocusBack = false;
      if (Parent) Parent->FocusedChild = this;
    }
    return;
  }
  // A foreign window of this program (a message box, a system dialog) is
  // shown centred on the screen; windows of other programs are left alone.
  if (GetWindowThreadProcessId(receiver, nullptr) != GetCurrentThreadId()) return;
  HWND w = receiver;
  for (;;) {
    char name[4];
    if (GetClassNameA(w, name, sizeof name) && name[0] == '#') break;
    if (!(GetWindowLongA(w, GWL_STYLE) & WS_CHILD)) break;
    HWND up = GetParent(w);
    if (!up) break;
    w = up;
  }
  RECT r;
  if (!GetWindowRect(w, &r)) return;
  int width = r.right - r.left, height = r.bottom - r.top;
  SetWindowPos(w, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}
