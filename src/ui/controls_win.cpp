// The standard controls other than the label, and the creation functions.
#include "ui/controls.h"

#include <commctrl.h>
#include <string.h>

// --- TEdit ---

static const TControlKind EditKind = {"EDIT", 121, 24, 0x44800000, true, 0};
TEdit::TEdit(TWinControl* parent) : TStdControl(parent, EditKind) {}

void TEdit::HandleHitTest(TMessage& m) { DefaultProcessing(m); }

bool TEdit::KeyPress(char ch) {
  // Tab moves the focus; it never becomes part of the text.
  return TWinControl::KeyPress(ch) || ch == '\t';
}

void TEdit::SetMargins(int pixels) {
  if (Handle)
    SendMessageA(Handle, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                 MAKELONG(ToDevice(pixels), ToDevice(pixels)));
}

// --- TListBox ---

static const TControlKind ListBoxKind = {"LISTBOX", 120, 99, 0x50800101, true, 0};
TListBox::TListBox(TWinControl* parent) : TStdControl(parent, ListBoxKind) {}

void TListBox::HandleHitTest(TMessage& m) { DefaultProcessing(m); }

int TListBox::Count() const { return (int)SendMessageA(Handle, LB_GETCOUNT, 0, 0); }
int TListBox::ItemIndex() const { return (int)SendMessageA(Handle, LB_GETCARETINDEX, 0, 0); }

void TListBox::SetItemIndex(int i) {
  SendMessageA(Handle, LB_SETCARETINDEX, i, 0);
  SendMessageA(Handle, LB_SETCURSEL, i, 0);
}

int TListBox::TopIndex() const { return (int)SendMessageA(Handle, LB_GETTOPINDEX, 0, 0); }

void TListBox::SetTopIndex(int i) {
  if (i != TopIndex()) SendMessageA(Handle, LB_SETTOPINDEX, i, 0);
}

TStr TListBox::Item(int i) const {
  TStr text;
  // The list box copies the whole item whatever the buffer's size, so the
  // buffer is made to fit before the text is cut to 255 characters.
  int n = (int)SendMessageA(Handle, LB_GETTEXTLEN, i, 0);
  if (n <= 0) return text;
  text.resize((size_t)n);
  int got = (int)SendMessageA(Handle, LB_GETTEXT, i, (LPARAM)text.buffer());
  text.resize(got < 0 ? 0 : (size_t)(got > 255 ? 255 : got));
  return text;
}

void TListBox::AddItem(const char* text) {
  size_t n = strlen(text);
  TStr item(text, n > 255 ? 255 : n);
  if ((int)SendMessageA(Handle, LB_ADDSTRING, 0, (LPARAM)item.c_str()) < 0) Error = -1;
  if (Count() == 1) SetItemIndex(0);
}

// --- TButton, TCheckBox, TGroupBox ---

static const TControlKind ButtonKind = {"BUTTON", 75, 25, 0x44010000, true, 0};
TButton::TButton(TWinControl* parent) : TStdControl(parent, ButtonKind) {}

void TButton::Click() {
  if (ButtonModalResult != 0 && Parent && Parent->ModalRunning && Parent->ModalResult == 0)
    Parent->ModalResult = ButtonModalResult;
  else
    TWinControl::Click();
}

static const TControlKind CheckBoxKind = {"BUTTON", 75, 25, 0x40014002, true, 1};
TCheckBox::TCheckBox(TWinControl* parent) : TStdControl(parent, CheckBoxKind) {}

bool TCheckBox::Checked() const {
  return Handle && SendMessageA(Handle, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool on) {
  if (!Handle) return;
  SendMessageA(Handle, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  InvalidateRect(Handle, nullptr, TRUE);
}

void TCheckBox::Click() {
  // Not an automatic check box: the program toggles it.
  SetChecked(!Checked());
  TWinControl::Click();
}

static const TControlKind GroupBoxKind = {"BUTTON", 121, 121, 0x40010007, true, 1};
TGroupBox::TGroupBox(TWinControl* parent) : TStdControl(parent, GroupBoxKind) {}

// --- TProgressBar ---

static const TControlKind ProgressBarKind = {PROGRESS_CLASSA, 121, 24, 0x50000000, false, 0};
TProgressBar::TProgressBar(TWinControl* parent) : TStdControl(parent, ProgressBarKind) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
}

void TProgressBar::CreateHandle() {
  TStdControl::CreateHandle();
  // Values set before the window existed reach it now.
  SetMax(Max);
  SetPosition(Pos);
  if (Step) SetStep(Step);
}

void TProgressBar::SetMax(int n) {
  Max = (unsigned short)n;
  if (Handle) PostMessageA(Handle, PBM_SETRANGE, 0, MAKELPARAM(0, Max));
}

void TProgressBar::SetPosition(int n) {
  Pos = (unsigned short)n;
  if (Handle) PostMessageA(Handle, PBM_SETPOS, Pos, 0);
}

void TProgressBar::SetStep(int n) {
  Step = (unsigned short)n;
  if (Handle) PostMessageA(Handle, PBM_SETSTEP, Step, 0);
}

// --- TBitmapControl ---

TBitmapControl::TBitmapControl(TWinControl* parent) : TWinControl(parent) {
  ClassName = "STATIC";
  Style = 0;
}

void TBitmapControl::CreateHandle() {
  // Created at the image's size; bounds set before creation apply afterwards.
  CreateSystemWindow(false);
  if (Width < 0 || Height < 0) {
    RECT r;
    GetWindowRect(Handle, &r);
    Width = FromDevice(r.right - r.left);
    Height = FromDevice(r.bottom - r.top);
  } else {
    SetBounds(RECT{Left, Top, Left + Width, Top + Height});
  }
}

// --- creation functions ---

// Places, colours and creates a control built for `parent`, then adds it to
// the parent's children. A null text keeps the text already stored.
static void Build(TWinControl* c, const char* text, int left, int top, int width, int height,
                  int textColor, int backColor) {
  if (!c->Parent) FatalCreation("StdCreate failed");  // a control needs its parent
  if (text) c->Text = text;
  c->Left = left;
  c->Top = top;
  c->Width = width;
  c->Height = height;
  c->TextColor = textColor;
  c->SetColor(backColor);
  c->CreateHandle();
  c->Parent->AddChild(c);
}

TLabel* NewLabel(TWinControl* parent, const char* text, int left, int top, int width, int height,
                 int textColor, int backColor, int backMode, int alignment) {
  TLabel* l = new TLabel(parent);
  if (width > 0 || height > 0) l->AutoSize = false;
  l->BackgroundMode = (unsigned char)backMode;
  l->Alignment = (unsigned char)(alignment & 3);
  Build(l, text, left, top, width > 0 ? width : l->Width, height > 0 ? height : l->Height, textColor,
        backColor);
  l->SetVisible(true);
  // The parent is painted again as a whole, with its children, so a label
  // drawn over the parent's background shows on a form that is already up.
  if (parent->Handle)
    RedrawWindow(parent->Handle, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return l;
}

TEdit* NewEdit(TWinControl* parent, const char* text, int left, int top, int width, int height,
               int textColor, int backColor, DWORD extraStyle) {
  TEdit* e = new TEdit(parent);
  size_t n = strlen(text);
  e->Text = TStr(text, n > 255 ? 255 : n);
  e->Style |= extraStyle;
  if (!(extraStyle & ES_MULTILINE)) e->Style |= ES_AUTOHSCROLL;
  e->SunkenEdge = true;
  Build(e, nullptr, left, top, width, height, textColor, backColor);
  e->SetMargins(2);
  return e;
}

TListBox* NewListBox(TWinControl* parent, int left, int top, int width, int height, int textColor,
                     int backColor, bool sorted) {
  TListBox* b = new TListBox(parent);
  b->Sorted = sorted;
  b->Style |= WS_VSCROLL | (sorted ? LBS_SORT : 0);
  b->SunkenEdge = true;
  Build(b, nullptr, left, top, width, height, textColor, backColor);
  return b;
}

TButton* NewButton(TWinControl* parent, const char* caption, int left, int top, int width,
                   int height, int textColor, int backColor, int modalResult) {
  TButton* b = new TButton(parent);
  b->ButtonModalResult = modalResult;
  Build(b, caption, left, top, width, height, textColor, backColor);
  return b;
}

TCheckBox* NewCheckBox(TWinControl* parent, const char* caption, int left, int top, int width,
                       int height, int textColor, int backColor) {
  TCheckBox* c = new TCheckBox(parent);
  Build(c, caption, left, top, width, height, textColor, backColor);
  return c;
}

TGroupBox* NewGroupBox(TWinControl* parent, const char* caption, int left, int top, int width,
                       int height, int textColor, int backColor) {
  TGroupBox* g = new TGroupBox(parent);
  Build(g, caption, left, top, width, height, textColor, backColor);
  return g;
}

TProgressBar* NewProgressBar(TWinControl* parent, int left, int top, int width, int height,
                             int textColor, int backColor, int maximum) {
  TProgressBar* p = new TProgressBar(parent);
  p->Max = (unsigned short)maximum;
  Build(p, nullptr, left, top, width, height, textColor, backColor);
  return p;
}
