// The window toolkit's base class. One TWinControl wraps one window handle;
// the window property "__SELF__" links the handle back to the object, and one
// window procedure (WindowProc) serves every window of the program, the
// subclassed system controls included.
//
// Positions and sizes are layout pixels (96 per inch); on a scaled display the
// toolkit scales them where they reach the system (see ui/geometry.h).
#pragma once
#include <windows.h>

#include <string.h>

#include "base/str.h"
#include "ui/font.h"

class TWinControl;

// A message as the handlers see it; Result is what the window procedure returns.
struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

// An event: a procedure and the object it belongs to (Data), which the
// procedure receives first, followed by the sender.
template <class Proc>
struct TEvent {
  Proc Code;
  void* Data;
  explicit operator bool() const { return Code != nullptr; }
};
typedef void (*TNotifyProc)(void* data, TWinControl* sender);
typedef bool (*TQueryProc)(void* data, TWinControl* sender);
// x and y in layout pixels of the screen; *answer starts as the system's answer.
typedef void (*THitTestProc)(void* data, TWinControl* sender, int x, int y, LRESULT* answer);
typedef void (*TEraseProc)(void* data, TWinControl* sender, HDC dc, const RECT* client);
// button: 0 left, 1 right; shift: the bits of ui/dispatch_rules.h; x, y in
// layout pixels of the client area.
typedef void (*TMouseProc)(void* data, TWinControl* sender, int button, unsigned char shift, int x, int y);
typedef void (*TMouseMoveProc)(void* data, TWinControl* sender, unsigned char shift, int x, int y);
typedef void (*TKeyProc)(void* data, TWinControl* sender, int key, unsigned char shift);
typedef void (*TKeyPressProc)(void* data, TWinControl* sender, char ch);

// Toolkit state, read once when the toolkit starts (before the first window):
// the screen's size in layout pixels, its pixels per inch (fonts and layout
// scale by it), and the show command the program was started with.
extern int ScreenWidth;
extern int ScreenHeight;
extern int ScreenPixelsPerInch;
extern int StartShowCommand;
// Starts the toolkit; the first window or font does it when nobody did.
void StartToolkit();
// Layout pixels to the device and back, at the screen's pixels per inch.
int ToDevice(int value);
int FromDevice(int value);
// A colour value resolved: a negative value names a system colour by the
// index in its low byte.
COLORREF ResolveColour(int colour);

// The events of a toolkit window, each empty until set.
struct TWinEvents {
  TEvent<TNotifyProc> OnCreate;
  TEvent<TQueryProc> OnClose;
  TEvent<TNotifyProc> OnDestroy;
  TEvent<TNotifyProc> OnChange;
  TEvent<TNotifyProc> OnClick;
  TEvent<THitTestProc> OnHitTest;
  TEvent<TEraseProc> OnEraseBackground;
  TEvent<TNotifyProc> OnEnter;
  TEvent<TNotifyProc> OnExit;
  TEvent<TMouseProc> OnMouseDown;
  TEvent<TMouseMoveProc> OnMouseMove;
  TEvent<TMouseProc> OnMouseUp;
  TEvent<TKeyProc> OnKeyDown;
  TEvent<TKeyProc> OnKeyUp;
  TEvent<TKeyPressProc> OnKeyPress;
  TEvent<TQueryProc> OnQueryEndSession;
};

// The plain fields of a toolkit window. They start as zeros, all at once,
// before anything else of the object is made; TWinControl sets the rest of
// the defaults.
struct TWinFields : TWinEvents {
  TWinFields() { memset(this, 0, sizeof *this); }

  HWND Handle;
  HWND OwnerHandle;  // the parent's handle at construction
  const char* ClassName;  // "TWKTFORM", or the system class of a control
  WNDPROC PrevProc;  // the procedure subclassing replaced
  HBRUSH Brush;
  HCURSOR Cursor;    // the system arrow
  short CursorIndex;  // 0: the system decides
  int Color;          // 0xC0C0C0
  int TextColor;
  unsigned char BackgroundMode;  // 0 own brush, 1 the parent's, 2 transparent
  DWORD Style;        // 0x06C10000
  DWORD ExStyle;
  bool SunkenEdge;
  int Left, Top, Width, Height;  // -1 each
  TWinControl* Parent;
  bool MainWindow;
  TWinControl* FocusedChild;
  bool Enabled;       // true
  bool ModalRunning;
  int ModalResult;
  bool TabStop;
  bool Visible;       // true
  int HitTestAnswer;  // 1 client, 2 caption, -1 transparent, 0 ask
  // The control Escape clicks anywhere in this form (its Cancel button, whose
  // click is the form's cancel handler); none: Escape is an ordinary key. A
  // hidden or disabled one is not clicked, so a page that hides Cancel (a
  // last page with Finish alone) cannot be finished by Escape.
  TWinControl* CancelControl;
};

class TWinControl : public TWinFields {
 public:
  // Sets the defaults; makes the font; creates no window (CreateHandle does).
  // The creator adds the object to its parent's children (AddChild).
  explicit TWinControl(TWinControl* parent);
  // Frees the children (last added first), the brush, the window and the font.
  virtual ~TWinControl();
  TWinControl(const TWinControl&) = delete;
  TWinControl& operator=(const TWinControl&) = delete;

  // The object behind a window of the program, or none.
  static TWinControl* FromHandle(HWND window);
  // The one window procedure of every toolkit window.
  static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

  // Registers the class if needed and creates the window; runs OnCreate.
  // A failure shows "WinRegister failed" or "WinCreate failed" and ends the program.
  virtual void CreateHandle();

  void SetBounds(const RECT& r);  // left, top, right, bottom
  void SetLeft(int v);
  void SetTop(int v);
  void SetWidth(int v);
  void SetHeight(int v);
  int ClientWidth() const;
  int ClientHeight() const;
  // The window's text, which also refreshes the stored one (on the window's
  // own thread; any other thread may ask and leaves it); before the window
  // exists, the stored text.
  TStr GetText();
  virtual void SetText(const TStr& text);
  void SetVisible(bool on);
  void SetEnabled(bool on);
  void SetColor(int colour);
  void SetTextColor(int colour) { TextColor = colour; }
  void SetCursorIndex(short index);
  void AddChild(TWinControl* child);  // the list owns it
  int ChildCount() const { return ChildTotal; }
  TWinControl* Child(int i) const { return Children[i]; }
  void SetFocus();
  // Handles every waiting message of the thread; a quit message is dropped.
  static void ProcessMessages();
  // Runs the thread's messages until the modal result is not 0 and returns it.
  // The loop also ends (result 2) when the window is destroyed by anyone.
  int RunModal();
  void EndModal(int result);
  void Refresh();
  HWND ParentHandle() const;

  TStr Text;
  TFont Font;

 protected:
  virtual void HandlePaint(TMessage& m);
  virtual void HandleEraseBackground(TMessage& m);
  virtual void HandleHitTest(TMessage& m);
  // The class's own message handlers, consulted first by default processing;
  // a handler that leaves a result other than 0 keeps the message from the
  // system. The base handles nothing.
  virtual void HandleOwnMessage(TMessage& m);
  virtual bool KeyPress(char ch);
  virtual void Click();
  virtual void FontChanged();
  friend class TFont;

  // Own handlers first, then (result still 0) the subclassed control's
  // procedure or the system's default.
  void DefaultProcessing(TMessage& m);
  // Creates a window of a system class (ClassName) at the stored place, at
  // the stored size or (`sizeFromFields` false) at none, and subclasses it.
  void CreateSystemWindow(bool sizeFromFields);
  // The brush of the nearest ancestor that has one, starting with the parent.
  HBRUSH AncestorBrush() const;

 private:
  void HandleMessage(TMessage& m);
  void Link(HWND window);
  void Unlink();
  void ForgetEvents();
  bool KeyDown(int key, LPARAM keyData);
  bool KeyUp(int key, LPARAM keyData);
  void MouseEvent(TMessage& m, int button, unsigned char extraShift, bool up);
  void FocusLost(HWND receiver);
  void MoveFocus(bool backwards);
  void ControlColour(TMessage& m);
  void Notify(TMessage& m);
  void Change();
  void Enter();
  void Exit();

  TWinControl** Children = nullptr;
  int ChildTotal = 0;
  int ChildRoom = 0;
};

// What a standard control class starts with.
struct TControlKind {
  const char* ClassName;
  short Width, Height;
  DWORD Style;
  bool TabStop;
  unsigned char BackgroundMode;
};

// A window of a system class ("EDIT", "BUTTON", ...), subclassed into
// WindowProc so its notifications, colours and events reach the object.
class TStdControl : public TWinControl {
 public:
  TStdControl(TWinControl* parent, const TControlKind& kind);
  // A failure shows "StdCreate failed" and ends the program.
  void CreateHandle() override;
};

// The current text of a window (any thread may ask).
TStr ReadWindowText(HWND window);

// Shows a fatal creation failure without owner and caption (through
// ShowMessage, which tests answer) and abandons the run (base/run_exit.h).
[[noreturn]] void FatalCreation(const char* text);
