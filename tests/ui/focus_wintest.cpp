// Focus and keyboard navigation with real key input: Tab and Shift+Tab over
// the focusable children, controls that cannot keep the focus, and foreign
// windows that take it (centred on the screen).
#include <doctest/doctest.h>

#include <windows.h>

#include "ui_test_support.h"

namespace {

// A form with: edit1, label (no Tab stop), button (disabled), edit2 (hidden),
// check box, list box.
struct TTabForm {
  TWinControl Form{nullptr};
  TEdit* Edit1;
  TLabel* Label;
  TButton* Disabled;
  TEdit* Hidden;
  TCheckBox* Check;
  TListBox* List;
  TTabForm() {
    PlaceForm(&Form, 200, 150, 400, 300);
    Form.CreateHandle();
    Edit1 = NewEdit(&Form, "one", 10, 10, 150, 24, 0, 0xFFFFFF, 0);
    Label = NewLabel(&Form, "label", 10, 40, 0, 0, 0, 0xC0C0C0, 1, 0);
    Disabled = NewButton(&Form, "off", 10, 70, 75, 25, 0, 0xC0C0C0, 0);
    Disabled->SetEnabled(false);
    Hidden = NewEdit(&Form, "hidden", 10, 100, 150, 24, 0, 0xFFFFFF, 0);
    Hidden->SetVisible(false);
    Check = NewCheckBox(&Form, "check", 10, 130, 150, 24, 0, 0xC0C0C0);
    List = NewListBox(&Form, 10, 160, 150, 80, 0, 0xFFFFFF, false);
    List->AddItem("item");
  }
};

struct TFoundWindow {
  HWND Window;
  RECT Rect;
};
TFoundWindow FoundBox;

BOOL CALLBACK FindDialog(HWND w, LPARAM) {
  char cls[16];
  GetClassNameA(w, cls, sizeof cls);
  if (std::string(cls) == "#32770" && IsWindowVisible(w)) {
    FoundBox.Window = w;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR id, DWORD) {
  FoundBox.Window = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, 0);
  if (!FoundBox.Window) return;  // not shown yet: try again at the next tick
  KillTimer(nullptr, id);
  GetWindowRect(FoundBox.Window, &FoundBox.Rect);
  PostMessageA(FoundBox.Window, WM_COMMAND, IDOK, 0);
}

bool CentredOnScreen(const RECT& r) {
  int w = r.right - r.left, h = r.bottom - r.top;
  return r.left == (GetSystemMetrics(SM_CXSCREEN) - w) / 2 &&
         r.top == (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
}

}  // namespace

TEST_CASE("Tab moves through the focusable children in order and wraps around") {
  TTabForm t;
  REQUIRE(MakeForeground(t.Form.Handle));
  t.Edit1->SetFocus();
  PumpFor(50);
  REQUIRE(GetFocus() == t.Edit1->Handle);
  static std::string keys;
  keys.clear();
  t.Form.OnKeyDown = {[](void*, TWinControl*, int key, unsigned char shift) {
                        keys += std::to_string(key) + "/" + std::to_string(shift) + " ";
                      },
                      nullptr};
  PressKey(VK_TAB);
  CHECK(GetFocus() == t.Check->Handle);
  CHECK(t.Form.FocusedChild == t.Check);
  PressKey(VK_TAB);
  CHECK(GetFocus() == t.List->Handle);
  PressKey(VK_TAB);
  CHECK(GetFocus() == t.Edit1->Handle);  // last to first
  CHECK(keys == "9/0 9/0 9/0 ");
  CHECK(t.Edit1->GetText() == "one");    // the Tab key never reached the edit
}

TEST_CASE("Shift+Tab moves back; from the first focusable child to the last") {
  TTabForm t;
  REQUIRE(MakeForeground(t.Form.Handle));
  t.Edit1->SetFocus();
  PumpFor(50);
  PressKey(VK_TAB, true);
  CHECK(GetFocus() == t.List->Handle);
  PressKey(VK_TAB, true);
  CHECK(GetFocus() == t.Check->Handle);
  PressKey(VK_TAB, true);
  CHECK(GetFocus() == t.Edit1->Handle);
}

TEST_CASE("a form whose other children cannot take the focus keeps it where it was") {
  TTabForm t;
  REQUIRE(MakeForeground(t.Form.Handle));
  t.Check->SetEnabled(false);
  t.List->SetVisible(false);
  t.Edit1->SetFocus();
  PumpFor(50);
  PressKey(VK_TAB);
  CHECK(GetFocus() == t.Edit1->Handle);
  t.Edit1->SetEnabled(false);
  t.Form.SetFocus();
  PumpFor(50);
  PressKey(VK_TAB);
  CHECK(GetFocus() == t.Form.Handle);
}

TEST_CASE("Tab with no focused child gives the first visible, enabled child the focus, Tab stop or not") {
  TWinControl form(nullptr);
  PlaceForm(&form, 200, 150, 300, 200);
  form.CreateHandle();
  TLabel* label = NewLabel(&form, "first", 10, 10, 0, 0, 0, 0xC0C0C0, 1, 0);
  TEdit* edit = NewEdit(&form, "", 10, 40, 150, 24, 0, 0xFFFFFF, 0);
  REQUIRE(MakeForeground(form.Handle));
  form.SetFocus();
  PumpFor(50);
  REQUIRE(form.FocusedChild == nullptr);
  PressKey(VK_TAB);
  CHECK(GetFocus() == label->Handle);
  CHECK(form.FocusedChild == label);
  PressKey(VK_TAB);
  CHECK(GetFocus() == edit->Handle);

  // A first child that is disabled is passed over.
  TWinControl other(nullptr);
  PlaceForm(&other, 200, 150, 300, 200);
  other.CreateHandle();
  TLabel* off = NewLabel(&other, "off", 10, 10, 0, 0, 0, 0xC0C0C0, 1, 0);
  off->SetEnabled(false);
  NewLabel(&other, "no tab stop", 10, 40, 0, 0, 0, 0xC0C0C0, 1, 0);
  TEdit* field = NewEdit(&other, "", 10, 70, 150, 24, 0, 0xFFFFFF, 0);
  REQUIRE(MakeForeground(other.Handle));
  other.SetFocus();
  PumpFor(50);
  PressKey(VK_TAB);
  CHECK(GetFocus() == field->Handle);
}

TEST_CASE("a Tab character typed into an edit field is not inserted") {
  TTabForm t;
  TEdit* multi = NewEdit(&t.Form, "ab", 200, 10, 150, 80, 0, 0xFFFFFF, ES_MULTILINE);
  SendMessageA(multi->Handle, WM_CHAR, '\t', 1);
  SendMessageA(multi->Handle, WM_CHAR, 'c', 1);
  CHECK(multi->GetText() == "cab");
}

TEST_CASE("a control without a Tab stop does not keep the focus; another window may take it") {
  TTabForm t;
  REQUIRE(MakeForeground(t.Form.Handle));
  t.Edit1->SetFocus();
  PumpFor(50);
  SetFocus(t.Label->Handle);
  PumpFor(50);
  CHECK(GetFocus() == t.Edit1->Handle);
  CHECK(t.Form.FocusedChild == t.Edit1);
  SetFocus(t.Form.Handle);
  PumpFor(50);
  CHECK(GetFocus() == t.Edit1->Handle);

  // A second top-level window of the program is not fought over.
  TWinControl other(nullptr);
  PlaceForm(&other, 650, 150, 200, 100);
  other.CreateHandle();
  REQUIRE(MakeForeground(other.Handle));
  other.SetFocus();
  PumpFor(50);
  CHECK(GetFocus() == other.Handle);
}

TEST_CASE("the focused child follows the focus") {
  TTabForm t;
  REQUIRE(MakeForeground(t.Form.Handle));
  t.Edit1->SetFocus();
  PumpFor(50);
  t.Check->SetFocus();
  PumpFor(50);
  CHECK(t.Form.FocusedChild == t.Check);
  PressKey(VK_TAB);
  CHECK(GetFocus() == t.List->Handle);
}

TEST_CASE("a message box or dialog taking the focus from a toolkit window is centred on the screen") {
  TTabForm t;
  t.Form.SetBounds(RECT{0, 0, 300, 260});
  REQUIRE(MakeForeground(t.Form.Handle));
  t.Edit1->SetFocus();
  PumpFor(50);

  FoundBox = {};
  SetTimer(nullptr, 0, 100, CloseMessageBox);
  MessageBoxA(t.Form.Handle, "Centred?", "Kestin", MB_OK);
  REQUIRE(FoundBox.Window != nullptr);
  CHECK(CentredOnScreen(FoundBox.Rect));

  // A dialog-class window of the program placed in a corner, whose child takes
  // the focus.
  t.Edit1->SetFocus();
  PumpFor(50);
  HWND dialog = CreateWindowExA(0, "#32770", "dialog", WS_POPUP | WS_VISIBLE | WS_CAPTION, 5, 5, 220,
                                120, t.Form.Handle, nullptr, nullptr, nullptr);
  HWND field = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 24, dialog,
                               nullptr, nullptr, nullptr);
  SetFocus(field);
  PumpFor(50);
  RECT r;
  GetWindowRect(dialog, &r);
  CHECK(CentredOnScreen(r));
  CHECK(r.right - r.left == 220);
  DestroyWindow(dialog);
}

TEST_CASE("losing the focus to no window moves nothing") {
  TTabForm t;
  REQUIRE(MakeForeground(t.Form.Handle));
  t.Edit1->SetFocus();
  PumpFor(50);
  RECT before, after;
  GetWindowRect(t.Form.Handle, &before);
  SetFocus(nullptr);
  PumpFor(50);
  GetWindowRect(t.Form.Handle, &after);
  CHECK(EqualRect(&before, &after));
}

namespace {
void CALLBACK PressEscape(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = VK_ESCAPE;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

// A dialog-like form: an edit with the focus, Next (result 1), Cancel (result 2).
struct TDialogForm {
  TWinControl Form{nullptr};
  TEdit* Edit;
  TButton* Next;
  TButton* Cancel;
  TDialogForm() {
    PlaceForm(&Form, 200, 150, 300, 200);
    Form.CreateHandle();
    Edit = NewEdit(&Form, "", 10, 10, 150, 24, 0, 0xFFFFFF, 0);
    Next = NewButton(&Form, "Next", 10, 150, 75, 25, 0, 0xC0C0C0, 1);
    Cancel = NewButton(&Form, "Cancel", 100, 150, 75, 25, 0, 0xC0C0C0, 2);
    Form.CancelControl = Cancel;
  }
  // Runs the form's modal loop while Escape is pressed once.
  int EscapeInLoop() {
    REQUIRE(MakeForeground(Form.Handle));
    Edit->SetFocus();
    PumpFor(50);
    TWatchdog dog(&Form, 1500);
    SetTimer(nullptr, 0, 100, PressEscape);
    return Form.RunModal();
  }
};
}  // namespace

TEST_CASE("Escape clicks the form's Cancel: its modal result ends the loop, or its click event fires") {
  TDialogForm d;
  CHECK(d.EscapeInLoop() == 2);

  d.Cancel->ButtonModalResult = 0;
  d.Cancel->OnClick = LogAs("cancel");
  EventLog().clear();
  d.Edit->SetFocus();
  PumpFor(50);
  PressKey(VK_ESCAPE);
  CHECK(EventLog() == "cancel ");
  PressKey(VK_ESCAPE, false, true);  // Alt+Escape belongs to the system
  CHECK(EventLog() == "cancel ");
}

TEST_CASE("Escape presses nothing when Cancel is hidden, disabled or not named: Finish stays unpressed") {
  TDialogForm d;
  d.Next->SetText("Finish");
  d.Cancel->SetVisible(false);
  CHECK(d.EscapeInLoop() == -99);  // only the watchdog ended the loop
  d.Cancel->SetVisible(true);
  d.Cancel->SetEnabled(false);
  CHECK(d.EscapeInLoop() == -99);
  d.Form.CancelControl = nullptr;
  CHECK(d.EscapeInLoop() == -99);
  d.Cancel->SetEnabled(true);
  d.Form.CancelControl = d.Cancel;
  CHECK(d.EscapeInLoop() == 2);
}
