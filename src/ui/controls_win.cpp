// The standard controls other than the label, and the creation functions.
#include "ui/controls.h"

#include <commctrl.h>
#include <string.h>

// --- TEdit ---

TEdit::TEdit(TWinControl* parent) : TStdControl(parent) {
  ClassName = "EDIT";
  Width = 121;
  Height = 24;
  Style = 0x44800000;
  TabStop = true;
}

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

TListBox::TListBox(TWinControl* parent) : TStdControl(parent) {
  ClassName = "LISTBOX";
  Width = 120;
  Height = 99;
  Style = 0x50800101;
  TabStop = true;
}

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

TButton::TButton(TWinControl* parent) : TStdControl(parent) {
  ClassName = "BUTTON";
  Width = 75;
  Height = 25;
  Style = 0x44010000;
  TabStop = true;
}

void TButton::Click() {
  if (ButtonModalResult != 0 && Parent && Parent->ModalRunning && Parent->ModalResult == 0)
    Parent->ModalResult = ButtonModalResult;
  else
    TWinControl::Click();
}

TCheckBox::TCheckBox(TWinControl* parent) : TStdControl(parent) {
  ClassName = "BUTTON";
  Width = 75;
  Height = 25;
  Style = 0x40014002;
  TabStop = true;
  BackgroundMode = 1;
}

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

TGroupBox::TGroupBox(TWinControl* parent) : TStdControl(parent) {
  ClassName = "BUTTON";
  Width = 121;
  Height = 121;
  Style = 0x40010007;
  TabStop = true;
  BackgroundMode = 1;
}

// --- TProgressBar ---

TProgressBar::TProgressBar(TWinControl* parent) : TStdControl(parent) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  ClassName = PROGRESS_CLASSA;
  Width = 121;
  Height = 24;
  Style = 0x50000000;
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

static void Place(TWinControl* c, int left, int top, int width, int height, int textColor,
                  int backColor) {
  c->Left = left;
  c->Top = top;
  c->Width = width;
  c->Height = height;
  c->TextColor = textColor;
  c->SetColor(backColor);
}

template <class T>
static T* Finish(TWinControl* parent, T* c) {
  c->CreateHandle();
  parent->AddChild(c);
  return c;
}

static void RequireParent(TWinControl* parent) {
  if (!parent) FatalCreation("StdCreate failed");
}

TLabel* NewLabel(TWinControl* parent, const char* text, int left, int top, int width, int height,
                 int textColor, int backColor, int backMode, int alignment) {
  RequireParent(parent);
  TLabel* l = new TLabel(parent);
  l->Text = text;
  if (width > 0 || height > 0) l->AutoSize = false;
  Place(l, left, top, width > 0 ? width : l->Width, height > 0 ? height : l->Height, textColor,
        backColor);
  l->BackgroundMode = (unsigned char)backMode;
  l->Alignment = (unsigned char)(alignment & 3);
  Finish(parent, l);
  l->SetVisible(true);
  l->InvalidateUnder();
  return l;
}

TEdit* NewEdit(TWinControl* parent, const char* text, int left, int top, int width, int height,
               int textColor, int backColor, DWORD extraStyle) {
  RequireParent(parent);
  TEdit* e = new TEdit(parent);
  size_t n = strlen(text);
  e->Text = TStr(text, n > 255 ? 255 : n);
  Place(e, left, top, width, height, textColor, backColor);
  e->Style |= extraStyle;
  if (!(extraStyle & ES_MULTILINE)) e->Style |= ES_AUTOHSCROLL;
  e->SunkenEdge = true;
  Finish(parent, e);
  e->SetMargins(2);
  return e;
}

TListBox* NewListBox(TWinControl* parent, int left, int top, int width, int height, int textColor,
                     int backColor, bool sorted) {
  RequireParent(parent);
  TListBox* b = new TListBox(parent);
  Place(b, left, top, width, height, textColor, backColor);
  b->Sorted = sorted;
  if (sorted) b->Style |= LBS_SORT;
  b->SunkenEdge = true;
  b->Style |= WS_VSCROLL;
  return Finish(parent, b);
}

TButton* NewButton(TWinControl* parent, const char* caption, int left, int top, int width,
                   int height, int textColor, int backColor, int modalResult) {
  RequireParent(parent);
  TButton* b = new TButton(parent);
  b->Text = caption;
  Place(b, left, top, width, height, textColor, backColor);
  b->ButtonModalResult = modalResult;
  return Finish(parent, b);
}

TCheckBox* NewCheckBox(TWinControl* parent, const char* caption, int left, int top, int width,
                       int height, int textColor, int backColor) {
  RequireParent(parent);
  TCheckBox* c = new TCheckBox(parent);
  c->Text = caption;
  Place(c, left, top, width, height, textColor, backColor);
  return Finish(parent, c);
}

TGroupBox* NewGroupBox(TWinControl* parent, const char* caption, int left, int top, int width,
                       int height, int textColor, int backColor) {
  RequireParent(parent);
  TGroupBox* g = new TGroupBox(parent);
  g->Text = caption;
  Place(g, left, top, width, height, textColor, backColor);
  return Finish(parent, g);
}

TProgressBar* NewProgressBar(TWinControl* parent, int left, int top, int width, int height,
                             int textColor, int backColor, int maximum) {
  RequireParent(parent);
  TProgressBar* p = new TProgressBar(parent);
  Place(p, left, top, width, height, textColor, backColor);
  p->Max = (unsigned short)maximum;
  return Finish(parent, p);
}
