// TWinControl: creation, the link between handle and object, the message
// switch, default processing, painting of the background and destruction.
// Focus, keys and the modal loop live in focus_win.cpp and modal_win.cpp.
#include "ui/window.h"

#include <stdlib.h>
#include <string.h>

#include "base/message_box.h"
#include "base/run_exit.h"
#include "ui/dispatch_rules.h"
#include "ui/geometry.h"

// The module this code is linked into: setup-program.dll in the release,
// which carries the icon, bitmap and cursors the windows load (setup.exe
// keeps only what the system reads from the file), or a test program built
// from the same modules. The linker places this symbol at the module's start.
extern "C" IMAGE_DOS_HEADER __ImageBase;
static HINSTANCE ProgramModule() { return (HINSTANCE)&__ImageBase; }

static const char SelfProperty[] = "__SELF__";

int ScreenWidth;
int ScreenHeight;
int ScreenPixelsPerInch = 96;
int StartShowCommand = SW_SHOWDEFAULT;
static bool ToolkitStarted;

void StartToolkit() {
  if (ToolkitStarted) return;
  ToolkitStarted = true;
  HDC dc = GetDC(nullptr);
  ScreenPixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  if (ScreenPixelsPerInch <= 0) ScreenPixelsPerInch = 96;
  ScreenWidth = FromDevice(GetSystemMetrics(SM_CXSCREEN));
  ScreenHeight = FromDevice(GetSystemMetrics(SM_CYSCREEN));
  STARTUPINFOA si;
  si.cb = sizeof si;
  GetStartupInfoA(&si);
  StartShowCommand = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : SW_SHOWDEFAULT;
}

int ToDevice(int value) { return LayoutToDevice(value, ScreenPixelsPerInch); }
int FromDevice(int value) { return DeviceToLayout(value, ScreenPixelsPerInch); }

COLORREF ResolveColour(int colour) {
  return colour < 0 ? GetSysColor(colour & 0xFF) : (COLORREF)colour;
}

void FatalCreation(const char* text) {
  ShowMessage(nullptr, text, nullptr, MB_OK);
  // A window the program needs could not be made: the run cannot go on, and
  // what it prepared is removed on the way out.
  AbandonRun(kExitRefused);
}

TWinControl::TWinControl(TWinControl* parent) : Font(this) {
  ClassName = "TWKTFORM";
  Cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  Color = 0xC0C0C0;
  Style = 0x06C10000;
  Left = Top = Width = Height = -1;
  Parent = parent;
  if (parent) OwnerHandle = parent->Handle;
  Enabled = Visible = true;
  HitTestAnswer = 1;
}

void TWinControl::ForgetEvents() {
  memset(static_cast<TWinEvents*>(this), 0, sizeof(TWinEvents));
  for (int i = 0; i < ChildTotal; i++) Children[i]->ForgetEvents();
}

TWinControl::~TWinControl() {
  // The objects the events point at (often the derived form, already torn
  // down) must not be called while messages are drained below.
  ForgetEvents();
  // Each child leaves the list before it is freed, so nothing reaches a freed
  // child through this window while the children's messages are drained.
  while (ChildTotal > 0) delete Children[--ChildTotal];
  free(Children);
  Children = nullptr;
  if (Parent) {
    // A child freed by its creator leaves the list, so its parent does not free it again.
    TWinControl** kids = Parent->Children;
    for (int i = 0; i < Parent->ChildTotal; i++)
      if (kids[i] == this) {
        memmove(kids + i, kids + i + 1, (Parent->ChildTotal - i - 1) * sizeof *kids);
        Parent->ChildTotal--;
        break;
      }
    if (Parent->FocusedChild == this) Parent->FocusedChild = nullptr;
  }
  if (Brush) DeleteObject(Brush);
  Brush = nullptr;
  if (Handle) {
    HWND h = Handle;
    Unlink();
    DestroyWindow(h);
  }
  ProcessMessages();
  // The font is released after the window, which can no longer draw with it.
}

TWinControl* TWinControl::FromHandle(HWND window) {
  // Only our own windows' property holds an address in this process; another
  // program built on this toolkit marks its windows the same way.
  DWORD process = 0;
  if (!window || !GetWindowThreadProcessId(window, &process) || process != GetCurrentProcessId())
    return nullptr;
  return static_cast<TWinControl*>(GetPropA(window, SelfProperty));
}

void TWinControl::Link(HWND window) {
  Handle = window;
  SetPropA(window, SelfProperty, this);
}

void TWinControl::Unlink() {
  RemovePropA(Handle, SelfProperty);
  // Hand a subclassed control back to its own procedure so it still cleans up
  // after itself; unless someone else subclassed it after us.
  if (PrevProc && (WNDPROC)GetWindowLongPtrA(Handle, GWLP_WNDPROC) == WindowProc)
    SetWindowLongPtrA(Handle, GWLP_WNDPROC, (LONG_PTR)PrevProc);
  Handle = nullptr;
}

HWND TWinControl::ParentHandle() const { return Parent ? Parent->Handle : OwnerHandle; }

HBRUSH TWinControl::AncestorBrush() const {
  for (TWinControl* p = Parent; p; p = p->Parent)
    if (p->Brush) return p->Brush;
  return nullptr;
}

void TWinControl::CreateHandle() {
  StartToolkit();
  HINSTANCE module = ProgramModule();
  if (!Brush) SetColor(Color);
  WNDCLASSA wc;
  if (!GetClassInfoA(module, ClassName, &wc)) {
    // The class takes the icon and cursor of the first window of its name. It
    // has no brush: every window erases with its own (HandleEraseBackground),
    // and a class brush would outlive the window whose brush it was.
    memset(&wc, 0, sizeof wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = module;
    wc.hIcon = LoadIconA(module, "MAINICON");
    wc.hCursor = Cursor;
    wc.lpszClassName = ClassName;
    if (!RegisterClassA(&wc)) FatalCreation("WinRegister failed");
  }
  // The height field is the outer height; a caption is added on top of it.
  if (Style & WS_CAPTION) Height += FromDevice(GetSystemMetrics(SM_CYCAPTION));
  HWND h = CreateWindowExA(ExStyle, ClassName, Text.c_str(), Style, ToDevice(Left), ToDevice(Top),
                           ToDevice(Width), ToDevice(Height), ParentHandle(), nullptr, module, nullptr);
  if (!h) FatalCreation("WinCreate failed");
  Link(h);
  EnableWindow(h, Enabled);
  if (OnCreate) OnCreate.Code(OnCreate.Data, this);
  Font.Apply();
  if (Visible && Handle) {
    ShowWindow(Handle, SW_SHOW);
    UpdateWindow(Handle);
  }
}

void TWinControl::CreateSystemWindow(bool sizeFromFields) {
  StartToolkit();
  if (SunkenEdge) {
    ExStyle |= WS_EX_CLIENTEDGE;
    Style &= ~WS_BORDER;
  }
  if (BackgroundMode == 1 || BackgroundMode == 2) ExStyle |= WS_EX_TRANSPARENT;
  HWND h = CreateWindowExA(ExStyle, ClassName, Text.c_str(),
                           Style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, ToDevice(Left),
                           ToDevice(Top), sizeFromFields ? ToDevice(Width) : 0,
                           sizeFromFields ? ToDevice(Height) : 0, ParentHandle(), nullptr,
                           ProgramModule(), nullptr);
  if (!h) FatalCreation("StdCreate failed");
  Link(h);
  WNDPROC current = (WNDPROC)GetWindowLongPtrA(h, GWLP_WNDPROC);
  if (current != WindowProc) {
    PrevProc = current;
    SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)WindowProc);
  }
  EnableWindow(h, Enabled);
  Font.Apply();
  ShowWindow(h, Visible ? SW_SHOW : SW_HIDE);
}

TStdControl::TStdControl(TWinControl* parent, const TControlKind& kind) : TWinControl(parent) {
  ClassName = kind.ClassName;
  Width = kind.Width;
  Height = kind.Height;
  Style = kind.Style;
  TabStop = kind.TabStop;
  BackgroundMode = kind.BackgroundMode;
}

void TStdControl::CreateHandle() { CreateSystemWindow(true); }

LRESULT CALLBACK TWinControl::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  // A window procedure only ever runs for windows of this process.
  TWinControl* self = static_cast<TWinControl*>(GetPropA(window, SelfProperty));
  if (!self) return DefWindowProcA(window, msg, wParam, lParam);
  TMessage m = {msg, wParam, lParam, 0};
  self->HandleMessage(m);
  return m.Result;
}

void TWinControl::HandleOwnMessage(TMessage&) {}

void TWinControl::DefaultProcessing(TMessage& m) {
  HandleOwnMessage(m);
  if (m.Result != 0 || !Handle) return;
  m.Result = PrevProc ? CallWindowProcA(PrevProc, Handle, m.Msg, m.WParam, m.LParam)
                      : DefWindowProcA(Handle, m.Msg, m.WParam, m.LParam);
}

static bool AltDown() { return GetKeyState(VK_MENU) < 0; }

void TWinControl::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_DESTROY:
      if (OnDestroy) OnDestroy.Code(OnDestroy.Data, this);
      // A modal loop on a window that is gone would wait for ever.
      if (ModalRunning && ModalResult == 0) ModalResult = 2;
      if (MainWindow) PostQuitMessage(0);
      // A subclassed control frees its own data here (a list box its items).
      if (PrevProc) CallWindowProcA(PrevProc, Handle, m.Msg, m.WParam, m.LParam);
      return;
    case WM_NCDESTROY:
      DefaultProcessing(m);
      Unlink();
      return;
    case WM_SETFOCUS:
      DefaultProcessing(m);
      if (m.WParam && Parent && Parent->FocusedChild != this) Parent->FocusedChild = this;
      return;
    case WM_KILLFOCUS:
      DefaultProcessing(m);
      FocusLost((HWND)m.WParam);
      m.Result = 0;
      return;
    case WM_PAINT:
      HandlePaint(m);
      return;
    case WM_CLOSE:
      if (!OnClose || OnClose.Code(OnClose.Data, this)) {
        if (ModalResult == 0) ModalResult = 2;
        DefWindowProcA(Handle, m.Msg, m.WParam, m.LParam);
      }
      return;
    case WM_QUERYENDSESSION:
      if (OnQueryEndSession)
        m.Result = OnQueryEndSession.Code(OnQueryEndSession.Data, this) ? 1 : 0;
      else
        DefaultProcessing(m);
      return;
    case WM_ERASEBKGND:
      HandleEraseBackground(m);
      return;
    case WM_SETCURSOR:
      if (CursorIndex != 0 && LOWORD(m.LParam) == HTCLIENT) {
        SetCursor(Cursor);
        m.Result = 1;
      } else {
        DefaultProcessing(m);
      }
      return;
    case WM_NCHITTEST:
      HandleHitTest(m);
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (!KeyDown((int)m.WParam, m.LParam)) DefaultProcessing(m);
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (!KeyUp((int)m.WParam, m.LParam)) DefaultProcessing(m);
      return;
    case WM_CHAR:
      if (!KeyPress((char)m.WParam)) DefaultProcessing(m);
      return;
    case WM_COMMAND:
      DefaultProcessing(m);
      Notify(m);
      return;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      ControlColour(m);
      return;
    case WM_MOUSEMOVE:
      DefaultProcessing(m);
      if (OnMouseMove)
        OnMouseMove.Code(OnMouseMove.Data, this, MouseShiftState((unsigned)m.WParam, AltDown()),
                         FromDevice((short)LOWORD(m.LParam)), FromDevice((short)HIWORD(m.LParam)));
      return;
    case WM_LBUTTONDOWN: MouseEvent(m, 0, 0, false); return;
    case WM_LBUTTONDBLCLK: MouseEvent(m, 0, ShiftDoubleClick, false); return;
    case WM_LBUTTONUP: MouseEvent(m, 0, 0, true); return;
    case WM_RBUTTONDOWN: MouseEvent(m, 1, 0, false); return;
    case WM_RBUTTONDBLCLK: MouseEvent(m, 1, ShiftDoubleClick, false); return;
    case WM_RBUTTONUP: MouseEvent(m, 1, 0, true); return;
    default:
      DefaultProcessing(m);
  }
}

void TWinControl::MouseEvent(TMessage& m, int button, unsigned char extraShift, bool up) {
  DefaultProcessing(m);
  const TEvent<TMouseProc>& e = up ? OnMouseUp : OnMouseDown;
  if (e)
    e.Code(e.Data, this, button, MouseShiftState((unsigned)m.WParam, AltDown()) | extraShift,
           FromDevice((short)LOWORD(m.LParam)), FromDevice((short)HIWORD(m.LParam)));
}

void TWinControl::HandlePaint(TMessage& m) {
  DefaultProcessing(m);
  if (m.Result == 0 && m.WParam == 0) {
    PAINTSTRUCT ps;
    BeginPaint(Handle, &ps);
    EndPaint(Handle, &ps);
  }
}

void TWinControl::HandleEraseBackground(TMessage& m) {
  HDC dc = (HDC)m.WParam;
  RECT client;
  GetClientRect(Handle, &client);
  m.Result = 1;
  if (OnEraseBackground) {
    OnEraseBackground.Code(OnEraseBackground.Data, this, dc, &client);
    return;
  }
  HBRUSH brush;
  if (BackgroundMode == 0 || !Parent) {
    brush = Brush;
    if (!brush) {
      m.Result = 0;
      DefaultProcessing(m);
      return;
    }
  } else if (BackgroundMode == 1) {
    brush = Parent->Brush ? Parent->Brush : AncestorBrush();
  } else {
    return;
  }
  if (brush) FillRect(dc, &client, brush);
}

void TWinControl::HandleHitTest(TMessage& m) {
  DefaultProcessing(m);
  if (HitTestAnswer != 0) {
    m.Result = HitTestAnswer;
  } else if (OnHitTest) {
    LRESULT answer = m.Result;
    OnHitTest.Code(OnHitTest.Data, this, FromDevice((short)LOWORD(m.LParam)),
                   FromDevice((short)HIWORD(m.LParam)), &answer);
    m.Result = answer;
  }
}

void TWinControl::ControlColour(TMessage& m) {
  TWinControl* control = FromHandle((HWND)m.LParam);
  if (!control) return;
  HDC dc = (HDC)m.WParam;
  SetBkColor(dc, ResolveColour(control->Color));
  ::SetTextColor(dc, ResolveColour(control->TextColor));
  if (control->BackgroundMode == 0 && control->Brush) {
    SetBkMode(dc, OPAQUE);
    m.Result = (LRESULT)control->Brush;
  } else {
    SetBkMode(dc, TRANSPARENT);
    m.Result = (LRESULT)control->AncestorBrush();
  }
}

void TWinControl::Notify(TMessage& m) {
  TWinControl* control = FromHandle((HWND)m.LParam);
  if (!control || !control->Enabled) return;
  int events = NotificationEvents(HIWORD(m.WParam));
  if (events & NotifyClick) control->Click();
  if (events & NotifyChange) control->Change();
  if (events & NotifyEnter) control->Enter();
  if (events & NotifyExit) control->Exit();
}

void TWinControl::Click() { if (OnClick) OnClick.Code(OnClick.Data, this); }
void TWinControl::Change() { if (OnChange) OnChange.Code(OnChange.Data, this); }
void TWinControl::Enter() { if (OnEnter) OnEnter.Code(OnEnter.Data, this); }
void TWinControl::Exit() { if (OnExit) OnExit.Code(OnExit.Data, this); }
void TWinControl::FontChanged() {}

void TWinControl::SetBounds(const RECT& r) {
  Left = r.left;
  Top = r.top;
  Width = r.right - r.left;
  Height = r.bottom - r.top;
  if (Handle)
    SetWindowPos(Handle, nullptr, ToDevice(Left), ToDevice(Top), ToDevice(Width), ToDevice(Height),
                 SWP_NOZORDER | SWP_NOACTIVATE | (Visible ? SWP_SHOWWINDOW | SWP_FRAMECHANGED : 0));
}

void TWinControl::SetLeft(int v) {
  if (v != Left) SetBounds(RECT{v, Top, v + Width, Top + Height});
}
void TWinControl::SetTop(int v) {
  if (v != Top) SetBounds(RECT{Left, v, Left + Width, v + Height});
}
void TWinControl::SetWidth(int v) {
  if (v != Width) SetBounds(RECT{Left, Top, Left + v, Top + Height});
}
void TWinControl::SetHeight(int v) {
  if (v != Height) SetBounds(RECT{Left, Top, Left + Width, Top + v});
}

int TWinControl::ClientWidth() const {
  RECT r = {};
  GetClientRect(Handle, &r);
  return FromDevice(r.right);
}
int TWinControl::ClientHeight() const {
  RECT r = {};
  GetClientRect(Handle, &r);
  return FromDevice(r.bottom);
}

TStr ReadWindowText(HWND window) {
  TStr text;
  int n = GetWindowTextLengthA(window);
  if (n <= 0) return text;
  text.resize((size_t)n);
  int got = GetWindowTextA(window, text.buffer(), n + 1);
  // A first character of zero makes the text empty.
  text.resize(got > 0 && text[0] ? (size_t)got : 0);
  return text;
}

TStr TWinControl::GetText() {
  TStr r(Handle ? ReadWindowText(Handle) : Text);
  // The cache belongs to the window's thread; the install worker, which reads
  // texts from its own thread, gets the window's text and leaves the cache.
  if (Handle && GetWindowThreadProcessId(Handle, nullptr) == GetCurrentThreadId()) Text = r;
  if (r.size() && r.back() == 0) r.resize(r.size() - 1);
  return r;
}

void TWinControl::SetText(const TStr& text) {
  Text = text;
  if (Handle) SetWindowTextA(Handle, Text.c_str());
}

void TWinControl::SetVisible(bool on) {
  if (on == Visible) return;
  Visible = on;
  if (!Handle) return;
  ShowWindow(Handle, on ? SW_SHOW : SW_HIDE);
  if (on) UpdateWindow(Handle);
}

void TWinControl::SetEnabled(bool on) {
  Enabled = on;
  if (Handle) EnableWindow(Handle, on);
}

void TWinControl::SetColor(int colour) {
  HBRUSH old = Brush;
  Brush = CreateSolidBrush(ResolveColour(colour));
  if (old) DeleteObject(old);
  Color = colour;
}

void TWinControl::SetCursorIndex(short index) {
  if (index == CursorIndex) return;
  CursorIndex = index;
  TCursorChoice c = CursorForIndex(index);
  Cursor = LoadCursorA(c.own ? ProgramModule() : nullptr, MAKEINTRESOURCEA(c.id));
  if (Handle) PostMessageA(Handle, WM_SETCURSOR, (WPARAM)Handle, HTCLIENT);
}

void TWinControl::AddChild(TWinControl* child) {
  if (ChildTotal == ChildRoom) {
    ChildRoom = ChildRoom ? ChildRoom * 2 : 8;
    TWinControl** grown = static_cast<TWinControl**>(realloc(Children, ChildRoom * sizeof *Children));
    if (!grown) abort();
    Children = grown;
  }
  Children[ChildTotal++] = child;
}

void TWinControl::Refresh() {
  if (!Handle) return;
  if (!Parent) ShowWindow(Handle, StartShowCommand);
  // Children too: those drawn over this window's background (transparent
  // ones) are not clipped out of it and must be painted again after it.
  RedrawWindow(Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}
