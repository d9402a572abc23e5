// TWinControl driven with real messages: creation and the "__SELF__" link,
// geometry, hit tests, background and control colours, cursors, mouse and key
// events, the modal loop and destruction.
#include <doctest/doctest.h>

#include <windows.h>

#include "ui_test_support.h"

namespace {

// Counts the moves the system reports for a window.
struct TMoveCounter : TWinControl {
  int Moves = 0;
  using TWinControl::TWinControl;
  void HandleOwnMessage(TMessage& m) override {
    if (m.Msg == WM_WINDOWPOSCHANGED) Moves++;
  }
};

TWinControl* NewChildWindow(TWinControl* parent, int left, int top, int colour, int mode) {
  TWinControl* c = new TWinControl(parent);
  c->Style = WS_CHILD | WS_VISIBLE;
  c->Left = left;
  c->Top = top;
  c->Width = 40;
  c->Height = 30;
  c->SetColor(colour);
  c->BackgroundMode = (unsigned char)mode;
  c->CreateHandle();
  parent->AddChild(c);
  return c;
}

// A 40 x 30 memory picture filled with `marker`, for erase and colour requests.
struct TMemoryDc {
  HDC Dc;
  HBITMAP Bitmap;
  HGDIOBJ Old;
  explicit TMemoryDc(COLORREF marker) {
    HDC screen = GetDC(nullptr);
    Dc = CreateCompatibleDC(screen);
    Bitmap = CreateCompatibleBitmap(screen, 40, 30);
    ReleaseDC(nullptr, screen);
    Old = SelectObject(Dc, Bitmap);
    HBRUSH b = CreateSolidBrush(marker);
    RECT r = {0, 0, 40, 30};
    FillRect(Dc, &r, b);
    DeleteObject(b);
  }
  ~TMemoryDc() {
    SelectObject(Dc, Old);
    DeleteObject(Bitmap);
    DeleteDC(Dc);
  }
  COLORREF Pixel() const { return GetPixel(Dc, 5, 5); }
};

// Checks, as the last window procedure before the toolkit's, that a window's
// "__SELF__" property is gone by the time the window is finally destroyed.
struct TPropSpy {
  static int& Seen() { static int n = 0; return n; }
  static int& WithProperty() { static int n = 0; return n; }
  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    LRESULT r = CallWindowProcA(TWinControl::WindowProc, h, msg, w, l);
    if (msg == WM_NCDESTROY) {
      Seen()++;
      if (GetPropA(h, "__SELF__")) WithProperty()++;
    }
    return r;
  }
  static void Watch(HWND h) { SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)Proc); }
};

void CALLBACK DestroyTarget(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (TWatchdog::Target() && TWatchdog::Target()->Handle) DestroyWindow(TWatchdog::Target()->Handle);
}

HWND OwnerToClose;
void CALLBACK CloseOwner(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  PostMessageA(OwnerToClose, WM_CLOSE, 0, 0);
}

}  // namespace

TEST_CASE("creating a window links it to its object and runs OnCreate with the window there") {
  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 300, 200);
  form.Text = "Linked";
  static HWND seenInCreate;
  seenInCreate = nullptr;
  form.OnCreate = {[](void*, TWinControl* s) { seenInCreate = s->Handle; }, nullptr};
  form.CreateHandle();
  REQUIRE(form.Handle != nullptr);
  CHECK(seenInCreate == form.Handle);
  CHECK(TWinControl::FromHandle(form.Handle) == &form);
  CHECK(GetPropA(form.Handle, "__SELF__") == &form);
  char cls[32];
  GetClassNameA(form.Handle, cls, sizeof cls);
  CHECK(std::string(cls) == "TWKTFORM");
  CHECK(IsWindowVisible(form.Handle));
  CHECK(GetWindowLongPtrA(form.Handle, GWLP_WNDPROC) == (LONG_PTR)TWinControl::WindowProc);
  CHECK(TWinControl::FromHandle(GetDesktopWindow()) == nullptr);
}

TEST_CASE("a caption style adds the caption height to the height field, which keeps it") {
  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 300, 200);
  form.CreateHandle();
  int caption = GetSystemMetrics(SM_CYCAPTION);
  CHECK(form.Height == 200 + caption);
  RECT r;
  GetWindowRect(form.Handle, &r);
  CHECK(r.bottom - r.top == form.Height);

  TWinControl plain(nullptr);
  PlaceForm(&plain, 30, 30, 300, 200);
  plain.Style = WS_POPUP;
  plain.CreateHandle();
  CHECK(plain.Height == 200);
}

TEST_CASE("setting the same left, top, width or height again does not move the window") {
  TMoveCounter form(nullptr);
  PlaceForm(&form, 30, 30, 300, 200);
  form.Style = WS_POPUP;
  form.CreateHandle();
  int before = form.Moves;
  form.SetLeft(30);
  form.SetTop(30);
  form.SetWidth(300);
  form.SetHeight(200);
  CHECK(form.Moves == before);
  form.SetLeft(50);
  CHECK(form.Moves > before);
  RECT r;
  GetWindowRect(form.Handle, &r);
  CHECK(r.left == 50);
  CHECK(r.right - r.left == 300);
  form.SetBounds(RECT{10, 20, 110, 70});
  GetWindowRect(form.Handle, &r);
  CHECK((r.left == 10 && r.top == 20 && r.right == 110 && r.bottom == 70));
  CHECK((form.Width == 100 && form.Height == 50));
  CHECK(form.ClientWidth() == 100);
  CHECK(form.ClientHeight() == 50);
}

TEST_CASE("GetText reads the window's text into the stored one; an empty text stays empty") {
  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 200, 100);
  form.SetText("before");
  CHECK(form.GetText() == "before");  // no window yet: the stored text
  form.CreateHandle();
  SetWindowTextA(form.Handle, "changed by the system");
  CHECK(form.GetText() == "changed by the system");
  CHECK(form.Text == "changed by the system");
  SetWindowTextA(form.Handle, "");
  CHECK(form.GetText() == "");
  CHECK(form.GetText().empty());
  CHECK(form.Text.empty());

  // Another thread (the install worker) reads the window's text and leaves the
  // stored one to the window's thread.
  SetWindowTextA(form.Handle, "typed");
  struct TRead {
    TWinControl* Form;
    std::string Got;
    static DWORD WINAPI Run(LPVOID p) {
      TRead* r = static_cast<TRead*>(p);
      r->Got = r->Form->GetText().c_str();
      return 0;
    }
  } read = {&form, ""};
  HANDLE worker = CreateThread(nullptr, 0, TRead::Run, &read, 0, nullptr);
  // The worker's request is answered while this thread handles messages.
  while (MsgWaitForMultipleObjects(1, &worker, FALSE, 5000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
    TWinControl::ProcessMessages();
  CloseHandle(worker);
  CHECK(read.Got == "typed");
  CHECK(form.Text.empty());
  form.SetText("set");
  char buf[16];
  GetWindowTextA(form.Handle, buf, sizeof buf);
  CHECK(std::string(buf) == "set");
}

TEST_CASE("hit tests: fixed answers, the event, and the system's for list boxes") {
  TWinControl form(nullptr);
  PlaceForm(&form, 100, 100, 300, 200);
  form.Style = WS_POPUP;
  form.CreateHandle();
  POINT p = {100 + 150, 100 + 20};
  LPARAM at = MAKELPARAM(p.x, p.y);
  CHECK(SendMessageA(form.Handle, WM_NCHITTEST, 0, at) == HTCLIENT);  // 0: the system's
  form.HitTestAnswer = 2;
  CHECK(SendMessageA(form.Handle, WM_NCHITTEST, 0, at) == HTCAPTION);
  form.HitTestAnswer = -1;
  CHECK(SendMessageA(form.Handle, WM_NCHITTEST, 0, at) == HTTRANSPARENT);
  form.HitTestAnswer = 0;
  static int eventX;
  form.OnHitTest = {[](void*, TWinControl*, int x, int, LRESULT* answer) {
                      eventX = x;
                      *answer = HTBOTTOMRIGHT;
                    },
                    nullptr};
  CHECK(SendMessageA(form.Handle, WM_NCHITTEST, 0, at) == HTBOTTOMRIGHT);
  CHECK(eventX == 250);

  TListBox* list = NewListBox(&form, 10, 10, 120, 60, 0, 0xFFFFFF, false);
  for (int i = 0; i < 20; i++) list->AddItem("item");
  RECT r;
  GetWindowRect(list->Handle, &r);
  int scrollX = r.right - 2 - GetSystemMetrics(SM_CXVSCROLL) / 2;
  CHECK(SendMessageA(list->Handle, WM_NCHITTEST, 0, MAKELPARAM(scrollX, r.top + 30)) == HTVSCROLL);
  TLabel* label = NewLabel(&form, "x", 150, 10, 0, 0, 0, 0xC0C0C0, 1, 0);
  label->HitTestAnswer = -1;
  GetWindowRect(label->Handle, &r);
  CHECK(SendMessageA(label->Handle, WM_NCHITTEST, 0, MAKELPARAM(r.left + 1, r.top + 1)) == HTTRANSPARENT);
}

TEST_CASE("the background is erased by mode, with system colours resolved") {
  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 300, 200);
  form.Color = (int)0x80000005;  // the system's window colour
  form.CreateHandle();
  TWinControl* own = NewChildWindow(&form, 10, 10, 0x123456, 0);
  TWinControl* parents = NewChildWindow(&form, 60, 10, 0x123456, 1);
  TWinControl* clear = NewChildWindow(&form, 110, 10, 0x123456, 2);
  {
    TMemoryDc dc(RGB(1, 2, 3));
    SendMessageA(form.Handle, WM_ERASEBKGND, (WPARAM)dc.Dc, 0);
    CHECK(dc.Pixel() == GetSysColor(COLOR_WINDOW));
  }
  {
    TMemoryDc dc(RGB(1, 2, 3));
    CHECK(SendMessageA(own->Handle, WM_ERASEBKGND, (WPARAM)dc.Dc, 0) == 1);
    CHECK(dc.Pixel() == 0x123456);
  }
  {
    TMemoryDc dc(RGB(1, 2, 3));
    CHECK(SendMessageA(parents->Handle, WM_ERASEBKGND, (WPARAM)dc.Dc, 0) == 1);
    CHECK(dc.Pixel() == GetSysColor(COLOR_WINDOW));
  }
  {
    TMemoryDc dc(RGB(1, 2, 3));
    CHECK(SendMessageA(clear->Handle, WM_ERASEBKGND, (WPARAM)dc.Dc, 0) == 1);
    CHECK(dc.Pixel() == RGB(1, 2, 3));
  }
  {
    static RECT seen;
    own->OnEraseBackground = {[](void*, TWinControl*, HDC, const RECT* r) { seen = *r; }, nullptr};
    TMemoryDc dc(RGB(1, 2, 3));
    CHECK(SendMessageA(own->Handle, WM_ERASEBKGND, (WPARAM)dc.Dc, 0) == 1);
    CHECK(dc.Pixel() == RGB(1, 2, 3));
    CHECK((seen.right == 40 && seen.bottom == 30));
  }
  own->SetColor(0x00FF00);
  {
    TMemoryDc dc(RGB(1, 2, 3));
    own->OnEraseBackground = {};
    SendMessageA(own->Handle, WM_ERASEBKGND, (WPARAM)dc.Dc, 0);
    CHECK(dc.Pixel() == 0x00FF00);
  }
}

TEST_CASE("control colours: the control's own brush when opaque, an ancestor's when not") {
  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 300, 200);
  form.CreateHandle();
  TEdit* edit = NewEdit(&form, "", 10, 10, 100, 24, 0x0000FF, 0x00FFEE, 0);
  TCheckBox* check = NewCheckBox(&form, "c", 10, 40, 100, 24, 0x00FF00, 0x123456);
  TGroupBox* group = NewGroupBox(&form, "g", 120, 10, 150, 100, 0, 0x654321);
  TCheckBox* inner = NewCheckBox(group, "i", 10, 20, 100, 24, 0, 0);
  TMemoryDc dc(0);

  LRESULT r = SendMessageA(form.Handle, WM_CTLCOLOREDIT, (WPARAM)dc.Dc, (LPARAM)edit->Handle);
  CHECK(r == (LRESULT)edit->Brush);
  CHECK(GetBkColor(dc.Dc) == 0x00FFEE);
  CHECK(GetTextColor(dc.Dc) == 0x0000FF);
  CHECK(GetBkMode(dc.Dc) == OPAQUE);

  r = SendMessageA(form.Handle, WM_CTLCOLORSTATIC, (WPARAM)dc.Dc, (LPARAM)check->Handle);
  CHECK(r == (LRESULT)form.Brush);
  CHECK(GetTextColor(dc.Dc) == 0x00FF00);
  CHECK(GetBkMode(dc.Dc) == TRANSPARENT);

  r = SendMessageA(group->Handle, WM_CTLCOLORSTATIC, (WPARAM)dc.Dc, (LPARAM)inner->Handle);
  CHECK(r == (LRESULT)group->Brush);

  CHECK(SendMessageA(form.Handle, WM_CTLCOLORSTATIC, (WPARAM)dc.Dc, (LPARAM)GetDesktopWindow()) == 0);
}

TEST_CASE("cursors: system cursors, the program's own, none, shown over the client area") {
  HINSTANCE self = GetModuleHandleA(nullptr);
  for (int id = 32756; id <= 32767; id++) CHECK(LoadCursorA(self, MAKEINTRESOURCEA(id)) != nullptr);

  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 200, 100);
  form.CreateHandle();
  CHECK(form.Cursor == LoadCursorA(nullptr, IDC_ARROW));
  form.SetCursorIndex(-21);
  CHECK(form.Cursor == LoadCursorA(self, MAKEINTRESOURCEA(32761)));
  LPARAM client = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  CHECK(SendMessageA(form.Handle, WM_SETCURSOR, (WPARAM)form.Handle, client) == 1);
  CHECK(GetCursor() == form.Cursor);
  form.SetCursorIndex(-4);
  CHECK(form.Cursor == LoadCursorA(nullptr, IDC_IBEAM));
  form.SetCursorIndex(-13);
  CHECK(form.Cursor == LoadCursorA(self, MAKEINTRESOURCEA(32767)));
  form.SetCursorIndex(-1);
  CHECK(form.Cursor == nullptr);
  form.SetCursorIndex(0);
  CHECK(SendMessageA(form.Handle, WM_SETCURSOR, (WPARAM)form.Handle, client) == 0);
}

TEST_CASE("mouse events carry the button, the shift state and signed coordinates") {
  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 200, 100);
  form.CreateHandle();
  static std::string seen;
  seen.clear();
  auto note = [](void*, TWinControl*, int button, unsigned char shift, int x, int y) {
    seen += std::to_string(button) + "/" + std::to_string(shift) + "/" + std::to_string(x) + "," +
            std::to_string(y) + " ";
  };
  form.OnMouseDown = {note, nullptr};
  form.OnMouseUp = {note, nullptr};
  form.OnMouseMove = {[](void*, TWinControl*, unsigned char shift, int x, int y) {
                        seen += "move/" + std::to_string(shift) + "/" + std::to_string(x) + "," +
                                std::to_string(y) + " ";
                      },
                      nullptr};
  SendMessageA(form.Handle, WM_RBUTTONUP, MK_SHIFT, MAKELPARAM(10, 20));
  SendMessageA(form.Handle, WM_LBUTTONDBLCLK, MK_LBUTTON | MK_CONTROL, MAKELPARAM(-5, -7));
  SendMessageA(form.Handle, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 2));
  SendMessageA(form.Handle, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(3, 4));
  CHECK(seen == "1/1/10,20 0/76/-5,-7 1/16/1,2 move/32/3,4 ");
}

TEST_CASE("key events reach the topmost window first, then the control") {
  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 200, 100);
  form.CreateHandle();
  TEdit* edit = NewEdit(&form, "", 10, 10, 100, 24, 0, 0xFFFFFF, 0);
  static std::string seen;
  seen.clear();
  auto key = [](void* tag, TWinControl*, int k, unsigned char shift) {
    seen += std::string((const char*)tag) + std::to_string(k) + "/" + std::to_string(shift) + " ";
  };
  auto press = [](void* tag, TWinControl*, char c) { seen += std::string((const char*)tag) + c + " "; };
  form.OnKeyUp = {key, (void*)"form-up"};
  edit->OnKeyUp = {key, (void*)"edit-up"};
  form.OnKeyDown = {key, (void*)"form-down"};
  edit->OnKeyDown = {key, (void*)"edit-down"};
  form.OnKeyPress = {press, (void*)"form-press"};
  edit->OnKeyPress = {press, (void*)"edit-press"};
  SendMessageA(edit->Handle, WM_KEYDOWN, 'A', 1);
  SendMessageA(edit->Handle, WM_KEYUP, 'A', 0xC0000001);
  SendMessageA(edit->Handle, WM_SYSKEYUP, 'B', 0x20000001);
  SendMessageA(edit->Handle, WM_CHAR, 'x', 1);
  CHECK(seen ==
        "form-down65/0 edit-down65/0 form-up65/0 edit-up65/0 form-up66/2 edit-up66/2 "
        "form-pressx edit-pressx ");
  CHECK(edit->GetText() == "x");
}

TEST_CASE("a close request ends the modal loop with 2; a result set before stays") {
  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 200, 100);
  form.CreateHandle();
  TWatchdog dog(&form);
  PostMessageA(form.Handle, WM_CLOSE, 0, 0);
  CHECK(form.RunModal() == 2);
  CHECK(form.Handle == nullptr);
  CHECK(!form.ModalRunning);
  CHECK(form.ModalResult == 0);

  TWinControl second(nullptr);
  PlaceForm(&second, 30, 30, 200, 100);
  second.CreateHandle();
  second.OnClose = {[](void*, TWinControl* s) {
                      s->EndModal(1);
                      return true;
                    },
                    nullptr};
  TWatchdog dog2(&second);
  PostMessageA(second.Handle, WM_CLOSE, 0, 0);
  CHECK(second.RunModal() == 1);
  CHECK(second.Handle == nullptr);
}

TEST_CASE("OnClose can veto a close; the loop then goes on") {
  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 200, 100);
  form.CreateHandle();
  form.OnClose = {[](void*, TWinControl*) {
                    EventLog() += "close-asked ";
                    return false;
                  },
                  nullptr};
  TButton* ok = NewButton(&form, "OK", 10, 10, 75, 25, 0, 0xC0C0C0, 1);
  EventLog().clear();
  TWatchdog dog(&form);
  PostMessageA(form.Handle, WM_CLOSE, 0, 0);
  PostMessageA(ok->Handle, BM_CLICK, 0, 0);
  CHECK(form.RunModal() == 1);
  CHECK(EventLog() == "close-asked ");
  CHECK(IsWindow(form.Handle));
}

TEST_CASE("a quit message does not end the modal loop; ProcessMessages drops it") {
  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 200, 100);
  form.CreateHandle();
  TButton* ok = NewButton(&form, "OK", 10, 10, 75, 25, 0, 0xC0C0C0, 7);
  TWatchdog dog(&form);
  PostQuitMessage(0);
  PostMessageA(ok->Handle, BM_CLICK, 0, 0);
  CHECK(form.RunModal() == 7);

  PostQuitMessage(0);
  TWinControl::ProcessMessages();
  MSG msg;
  CHECK(!PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_CASE("the modal loop ends when its window is destroyed by someone else") {
  SUBCASE("destroyed by the program") {
    TWinControl form(nullptr);
    PlaceForm(&form, 30, 30, 200, 100);
    form.CreateHandle();
    form.OnDestroy = LogAs("destroyed");
    EventLog().clear();
    TWatchdog dog(&form);
    SetTimer(nullptr, 0, 50, DestroyTarget);
    CHECK(form.RunModal() == 2);
    CHECK(form.Handle == nullptr);
    CHECK(EventLog() == "destroyed ");
  }
  SUBCASE("its owner closed") {
    TWinControl owner(nullptr);
    PlaceForm(&owner, 30, 30, 300, 200);
    owner.CreateHandle();
    TWinControl owned(nullptr);
    PlaceForm(&owned, 60, 60, 150, 100);
    owned.OwnerHandle = owner.Handle;
    owned.CreateHandle();
    REQUIRE(GetWindow(owned.Handle, GW_OWNER) == owner.Handle);
    OwnerToClose = owner.Handle;
    TWatchdog dog(&owned);
    SetTimer(nullptr, 0, 50, CloseOwner);
    CHECK(owned.RunModal() == 2);
    CHECK(owned.Handle == nullptr);
    CHECK(owner.Handle == nullptr);
  }
  SUBCASE("Alt+F4") {
    TWinControl form(nullptr);
    PlaceForm(&form, 30, 30, 200, 100);
    form.CreateHandle();
    REQUIRE(MakeForeground(form.Handle));
    TWatchdog dog(&form);
    INPUT keys[4] = {};
    for (auto& k : keys) k.type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_MENU;
    keys[1].ki.wVk = VK_F4;
    keys[2].ki.wVk = VK_F4;
    keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
    keys[3].ki.wVk = VK_MENU;
    keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, keys, sizeof(INPUT));
    CHECK(form.RunModal() == 2);
    CHECK(form.Handle == nullptr);
  }
  SUBCASE("a window that is already gone returns at once") {
    TWinControl form(nullptr);
    CHECK(form.RunModal() == 2);
  }
}

TEST_CASE("destroying the main window posts the quit message") {
  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 200, 100);
  form.MainWindow = true;
  form.CreateHandle();
  DestroyWindow(form.Handle);
  MSG msg;
  CHECK(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_CASE("freeing a window frees its children last added first, their windows, brushes and fonts") {
  LiveObjects() = 0;
  FreedOrder().clear();
  TPropSpy::Seen() = TPropSpy::WithProperty() = 0;
  auto* form = new Counted<TWinControl>(nullptr, "form");
  PlaceForm(form, 30, 30, 300, 200);
  form->CreateHandle();
  auto add = [](TWinControl* parent, TStdControl* c, int top) {
    c->Top = top;
    c->Left = 10;
    c->SetColor(0xFFFFFF);
    c->CreateHandle();
    parent->AddChild(c);
  };
  auto* a = new Counted<TEdit>(form, "a");
  add(form, a, 10);
  auto* b = new Counted<TButton>(form, "b");
  add(form, b, 40);
  auto* group = new Counted<TGroupBox>(form, "group");
  add(form, group, 70);
  auto* inner = new Counted<TLabel>(group, "inner");
  add(group, inner, 20);
  CHECK(LiveObjects() == 5);
  std::vector<HWND> windows = {form->Handle, a->Handle, b->Handle, group->Handle, inner->Handle};
  std::vector<HGDIOBJ> gdi = {form->Brush, a->Brush, inner->Brush, form->Font.Handle, a->Font.Handle,
                              inner->Font.Handle};
  for (HWND w : windows) TPropSpy::Watch(w);
  delete form;
  CHECK(LiveObjects() == 0);
  CHECK(FreedOrder() == "form group inner b a ");
  for (HWND w : windows) CHECK(!IsWindow(w));
  for (HGDIOBJ o : gdi) CHECK(GetObjectType(o) == 0);
  CHECK(TPropSpy::Seen() == 5);
  CHECK(TPropSpy::WithProperty() == 0);
}

TEST_CASE("windows destroyed by the system unlink from their objects, which free cleanly later") {
  TPropSpy::Seen() = TPropSpy::WithProperty() = 0;
  auto* form = new TWinControl(nullptr);
  PlaceForm(form, 30, 30, 300, 200);
  form->CreateHandle();
  TListBox* list = NewListBox(form, 10, 10, 100, 80, 0, 0xFFFFFF, true);
  list->AddItem("b");
  list->AddItem("a");
  TPropSpy::Watch(form->Handle);
  TPropSpy::Watch(list->Handle);
  DestroyWindow(form->Handle);
  CHECK(form->Handle == nullptr);
  CHECK(list->Handle == nullptr);
  CHECK(TPropSpy::Seen() == 2);
  CHECK(TPropSpy::WithProperty() == 0);
  delete form;
}

TEST_CASE("a child freed by its creator leaves its parent's children") {
  LiveObjects() = 0;
  auto* form = new TWinControl(nullptr);
  PlaceForm(form, 30, 30, 300, 200);
  form->CreateHandle();
  auto* a = new Counted<TButton>(form, "a");
  auto* b = new Counted<TButton>(form, "b");
  for (TStdControl* c : {(TStdControl*)a, (TStdControl*)b}) {
    c->CreateHandle();
    form->AddChild(c);
  }
  b->SetFocus();
  form->FocusedChild = b;
  HWND bWindow = b->Handle;
  delete b;
  CHECK(!IsWindow(bWindow));
  CHECK(form->ChildCount() == 1);
  CHECK(form->Child(0) == a);
  CHECK(form->FocusedChild == nullptr);
  delete form;
  CHECK(LiveObjects() == 0);
}
