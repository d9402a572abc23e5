// The standard controls driven with real messages: events in order, check
// boxes, edits, list boxes, labels, progress bars, bitmaps, and the gallery
// window with every control, saved as a screenshot and checked by its pixels.
#include <doctest/doctest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "ui_test_support.h"

namespace {

struct TForm {
  TWinControl Form{nullptr};
  explicit TForm(int left = 100, int top = 100, int width = 400, int height = 300) {
    PlaceForm(&Form, left, top, width, height);
    Form.CreateHandle();
  }
};

void LogMouse(void* tag, TWinControl*, int button, unsigned char, int, int) {
  EventLog() += std::string((const char*)tag) + std::to_string(button) + " ";
}

void WatchEvents(TWinControl* c) {
  c->OnClick = LogAs("click");
  c->OnChange = LogAs("change");
  c->OnEnter = LogAs("enter");
  c->OnExit = LogAs("exit");
  c->OnMouseDown = {LogMouse, (void*)"down"};
  c->OnMouseUp = {LogMouse, (void*)"up"};
}

SIZE TextSize(HFONT font, const char* text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE s;
  GetTextExtentPoint32A(dc, text, lstrlenA(text), &s);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return s;
}

DWORD WINAPI MoveBarFromWorker(LPVOID bar) {
  static_cast<TProgressBar*>(bar)->SetPosition(42);
  return 0;
}

}  // namespace

TEST_CASE("a button click fires its events in order") {
  TForm f;
  TButton* b = NewButton(&f.Form, "Go", 10, 10, 75, 25, 0, 0xC0C0C0, 0);
  WatchEvents(b);
  EventLog().clear();
  SendMessageA(b->Handle, BM_CLICK, 0, 0);
  CHECK(EventLog() == "down0 click up0 ");
}

TEST_CASE("a check box toggles on a click, then fires the click; focus changes fire enter and exit") {
  TForm f;
  TCheckBox* c = NewCheckBox(&f.Form, "Check", 10, 10, 120, 24, 0, 0xC0C0C0);
  TEdit* e = NewEdit(&f.Form, "", 10, 40, 120, 24, 0, 0xFFFFFF, 0);
  REQUIRE(MakeForeground(f.Form.Handle));
  e->SetFocus();
  PumpFor(30);
  static bool checkedInClick;
  WatchEvents(c);
  c->OnClick = {[](void*, TWinControl* s) {
                  checkedInClick = static_cast<TCheckBox*>(s)->Checked();
                  EventLog() += "click ";
                },
                nullptr};
  EventLog().clear();
  CHECK(!c->Checked());
  SendMessageA(c->Handle, BM_CLICK, 0, 0);
  CHECK(c->Checked());
  CHECK(checkedInClick);
  CHECK(EventLog() == "enter down0 click up0 ");
  SendMessageA(c->Handle, BM_CLICK, 0, 0);
  CHECK(!c->Checked());
  EventLog().clear();
  e->SetFocus();
  PumpFor(30);
  CHECK(EventLog() == "exit ");
  c->SetChecked(true);
  CHECK(c->Checked());
  CHECK(SendMessageA(c->Handle, BM_GETCHECK, 0, 0) == BST_CHECKED);
}

TEST_CASE("a check box whose window was never created is not checked and ignores SetChecked") {
  TForm f;
  TCheckBox c(&f.Form);
  CHECK(!c.Checked());
  c.SetChecked(true);
  CHECK(!c.Checked());
}

TEST_CASE("a disabled control fires no notification events") {
  TForm f;
  TButton* b = NewButton(&f.Form, "Off", 10, 10, 75, 25, 0, 0xC0C0C0, 0);
  WatchEvents(b);
  b->SetEnabled(false);
  EventLog().clear();
  SendMessageA(f.Form.Handle, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), (LPARAM)b->Handle);
  CHECK(EventLog() == "");
  b->SetEnabled(true);
  SendMessageA(f.Form.Handle, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), (LPARAM)b->Handle);
  CHECK(EventLog() == "click ");
}

TEST_CASE("a button with a modal result clicks normally when no loop runs") {
  TForm f;
  TButton* ok = NewButton(&f.Form, "OK", 10, 10, 75, 25, 0, 0xC0C0C0, 1);
  ok->OnClick = LogAs("click");
  EventLog().clear();
  SendMessageA(ok->Handle, BM_CLICK, 0, 0);
  CHECK(EventLog() == "click ");
  CHECK(f.Form.ModalResult == 0);
}

TEST_CASE("edit fields: typing fires key press then change; focus fires enter and exit") {
  TForm f;
  TEdit* e = NewEdit(&f.Form, "", 10, 10, 150, 24, 0, 0xFFFFFF, 0);
  TButton* other = NewButton(&f.Form, "Other", 10, 50, 75, 25, 0, 0xC0C0C0, 0);
  REQUIRE(MakeForeground(f.Form.Handle));
  other->SetFocus();
  PumpFor(30);
  WatchEvents(e);
  e->OnKeyPress = {[](void*, TWinControl*, char c) { EventLog() += std::string("press-") + c + " "; },
                   nullptr};
  EventLog().clear();
  e->SetFocus();
  PumpFor(30);
  SendMessageA(e->Handle, WM_CHAR, 'k', 1);
  other->SetFocus();
  PumpFor(30);
  CHECK(EventLog() == "enter press-k change exit ");
  CHECK(e->GetText() == "k");
}

TEST_CASE("NewEdit: text cut to 255, auto scroll unless multi-line, sunken edge, 2-pixel margins") {
  TForm f;
  std::string longText(300, 'x');
  TEdit* e = NewEdit(&f.Form, longText.c_str(), 10, 10, 150, 24, 0, 0xFFFFFF, ES_READONLY);
  CHECK(e->GetText().size() == 255);
  LONG style = GetWindowLongA(e->Handle, GWL_STYLE);
  CHECK((style & ES_AUTOHSCROLL));
  CHECK((style & ES_READONLY));
  CHECK(!(style & WS_BORDER));
  CHECK((GetWindowLongA(e->Handle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
  CHECK(SendMessageA(e->Handle, EM_GETMARGINS, 0, 0) == MAKELONG(2, 2));
  TEdit* m = NewEdit(&f.Form, "", 10, 40, 150, 80, 0, 0xFFFFFF, ES_MULTILINE);
  CHECK(!(GetWindowLongA(m->Handle, GWL_STYLE) & ES_AUTOHSCROLL));
}

TEST_CASE("list boxes: the first item added is selected, later ones leave the selection") {
  TForm f;
  TListBox* l = NewListBox(&f.Form, 10, 10, 150, 100, 0, 0xFFFFFF, true);
  CHECK(l->Count() == 0);
  l->AddItem("pear");
  CHECK(l->ItemIndex() == 0);
  CHECK(SendMessageA(l->Handle, LB_GETCURSEL, 0, 0) == 0);
  l->AddItem("apple");  // sorted in before the pear
  l->AddItem("quince");
  CHECK(l->Count() == 3);
  CHECK(l->Item(0) == "apple");
  CHECK(l->Item(1) == "pear");
  CHECK(SendMessageA(l->Handle, LB_GETCURSEL, 0, 0) == 1);  // still the pear
  l->SetItemIndex(2);
  CHECK(l->ItemIndex() == 2);
  CHECK(SendMessageA(l->Handle, LB_GETCURSEL, 0, 0) == 2);
  CHECK(l->Error == 0);
}

TEST_CASE("list box items longer than 255 characters are cut, never overrun a buffer") {
  TForm f;
  TListBox* l = NewListBox(&f.Form, 10, 10, 150, 100, 0, 0xFFFFFF, false);
  // (Wine itself fails on items of about 500 characters and more.)
  std::string longItem(400, 'y');
  l->AddItem(longItem.c_str());
  CHECK(SendMessageA(l->Handle, LB_GETTEXTLEN, 0, 0) == 255);
  CHECK(l->Item(0).size() == 255);
  longItem[399] = 'z';
  SendMessageA(l->Handle, LB_ADDSTRING, 0, (LPARAM)longItem.c_str());  // added behind our back
  TStr item = l->Item(1);
  CHECK(item.size() == 255);
  CHECK(std::string(item.c_str()) == longItem.substr(0, 255));
  CHECK(l->Item(7) == "");
}

TEST_CASE("list boxes: moving the selection with the keyboard fires change; top index") {
  TForm f;
  TListBox* l = NewListBox(&f.Form, 10, 10, 150, 60, 0, 0xFFFFFF, false);
  for (int i = 0; i < 30; i++) l->AddItem(("item " + std::to_string(i)).c_str());
  l->OnChange = LogAs("change");
  EventLog().clear();
  SendMessageA(l->Handle, WM_KEYDOWN, VK_DOWN, 1);
  CHECK(EventLog() == "change ");
  CHECK(l->ItemIndex() == 1);
  l->SetTopIndex(10);
  CHECK(l->TopIndex() == 10);
}

TEST_CASE("labels size themselves to their text unless given a size") {
  TForm f;
  TLabel* a = NewLabel(&f.Form, "Sized to its text", 10, 10, 0, 0, 0, 0xC0C0C0, 1, 0);
  SIZE s = TextSize(a->Font.Handle, "Sized to its text");
  CHECK(a->Width == s.cx + 2);
  CHECK(a->Height == s.cy);
  RECT r;
  GetWindowRect(a->Handle, &r);
  CHECK(r.right - r.left == a->Width);

  TLabel* fixed = NewLabel(&f.Form, "Fixed width", 10, 40, 200, 0, 0, 0xC0C0C0, 1, 0);
  CHECK(fixed->Width == 200);
  CHECK(fixed->Height == 17);
  fixed->SetText("A much longer text than before, still in the same width");
  CHECK(fixed->Width == 200);

  TLabel* empty = NewLabel(&f.Form, "", 10, 70, 0, 0, 0, 0xC0C0C0, 1, 0);
  CHECK(empty->Width == TextSize(empty->Font.Handle, " ").cx + 2);
}

TEST_CASE("a right-aligned auto-size label keeps its right edge when its text grows") {
  TForm f;
  TLabel* l = NewLabel(&f.Form, "12 K", 100, 10, 0, 0, 0, 0xC0C0C0, 1, 2);
  int right = l->Left + l->Width;
  l->SetText("123456789 K");
  CHECK(l->Left + l->Width == right);
  CHECK(l->Width == TextSize(l->Font.Handle, "123456789 K").cx + 2);
  RECT r;
  GetWindowRect(l->Handle, &r);
  MapWindowPoints(nullptr, f.Form.Handle, (POINT*)&r, 2);
  CHECK(r.right == right);
}

TEST_CASE("word wrap breaks a label's text into lines within its width; off joins them again") {
  TForm f;
  TLabel* l = NewLabel(&f.Form, "one two three four five six seven eight nine ten", 10, 10, 0, 0, 0,
                       0xC0C0C0, 1, 0);
  int oneLine = l->Height;
  l->SetWidth(80);
  l->SetWordWrap(true);
  CHECK(l->Height > 2 * oneLine);
  CHECK(l->Width <= 80);
  l->SetWordWrap(false);
  CHECK(l->Height == oneLine);
}

TEST_CASE("a shadow is drawn within the label's measured bounds") {
  TForm f;
  TLabel* l = NewLabel(&f.Form, "Shadow", 10, 10, 0, 0, 0xFFFFFF, 0xC0C0C0, 2, 0);
  int w = l->Width, h = l->Height;
  l->SetShadowDepth(4);
  CHECK(l->Width == w);
  CHECK(l->Height == h);
  CHECK(w == TextSize(l->Font.Handle, "Shadow").cx + 2);
}

TEST_CASE("a label aligns its text in its own drawing, not through the control's style") {
  TWinControl form(nullptr);
  PlaceForm(&form, 40, 40, 300, 120);
  form.Style = WS_POPUP;
  form.CreateHandle();
  const COLORREF ink = 0xFF0000;
  TLabel* left = NewLabel(&form, "MMM", 10, 10, 240, 20, ink, 0xC0C0C0, 1, 0);
  TLabel* centred = NewLabel(&form, "MMM", 10, 40, 240, 20, ink, 0xC0C0C0, 1, 1);
  TLabel* right = NewLabel(&form, "MMM", 10, 70, 240, 20, ink, 0xC0C0C0, 0, 2);
  for (TLabel* l : {left, centred, right})
    CHECK((GetWindowLongA(l->Handle, GWL_STYLE) & SS_TYPEMASK) == SS_LEFT);
  REQUIRE(MakeForeground(form.Handle));
  PumpFor(200);
  TShot shot = CaptureWindow(form.Handle);
  // Ink in each third of a label's width: left, middle, right.
  auto thirds = [&](TLabel* l) {
    RECT r = RectIn(form.Handle, l->Handle);
    int w = (r.right - r.left) / 3;
    std::string s;
    for (int i = 0; i < 3; i++)
      s += CountPixels(shot, RECT{r.left + i * w, r.top, r.left + (i + 1) * w, r.bottom}, ink) ? '#' : '.';
    return s;
  };
  CHECK(thirds(left) == "#..");
  CHECK(thirds(centred) == ".#.");
  CHECK(thirds(right) == "..#");
}

TEST_CASE("a new label has its whole parent painted again") {
  TWinControl form(nullptr);
  PlaceForm(&form, 40, 40, 300, 200);
  form.Style = WS_POPUP;
  form.CreateHandle();
  REQUIRE(MakeForeground(form.Handle));
  PumpFor(200);
  // A stain on the form, far from where the label goes, that only a repaint
  // of the whole form removes.
  HDC dc = GetDC(form.Handle);
  RECT stain = {200, 150, 260, 190};
  HBRUSH red = CreateSolidBrush(0x0000FF);
  FillRect(dc, &stain, red);
  DeleteObject(red);
  ReleaseDC(form.Handle, dc);
  PumpFor(100);  // the system shows what was drawn
  REQUIRE(CountPixels(CaptureWindow(form.Handle), stain, 0x0000FF) > 0);
  NewLabel(&form, "New", 10, 10, 0, 0, 0, 0xC0C0C0, 2, 0);
  PumpFor(100);
  CHECK(CountPixels(CaptureWindow(form.Handle), stain, 0x0000FF) == 0);
}

TEST_CASE("progress bars: values set before the window apply; positions from another thread arrive") {
  TForm f;
  TProgressBar* p = NewProgressBar(&f.Form, 10, 10, 200, 24, 0xFF0000, 0xC0C0C0, 250);
  TWinControl::ProcessMessages();
  CHECK(SendMessageA(p->Handle, PBM_GETRANGE, FALSE, 0) == 250);
  HANDLE worker = CreateThread(nullptr, 0, MoveBarFromWorker, p, 0, nullptr);
  CHECK(WaitForSingleObject(worker, 5000) == WAIT_OBJECT_0);
  CloseHandle(worker);
  CHECK(p->Position() == 42);
  TWinControl::ProcessMessages();
  CHECK(SendMessageA(p->Handle, PBM_GETPOS, 0, 0) == 42);

  TProgressBar early(&f.Form);
  early.SetMax(10);
  early.SetPosition(3);
  early.CreateHandle();
  TWinControl::ProcessMessages();
  CHECK(SendMessageA(early.Handle, PBM_GETRANGE, FALSE, 0) == 10);
  CHECK(SendMessageA(early.Handle, PBM_GETPOS, 0, 0) == 3);
}

TEST_CASE("bitmap controls show the program's bitmap and icon resources") {
  TForm f;
  TBitmapControl* logo = new TBitmapControl(&f.Form);
  logo->Text = "LOGO";
  logo->Style = SS_BITMAP;
  logo->Left = logo->Top = 5;
  logo->CreateHandle();
  f.Form.AddChild(logo);
  CHECK(SendMessageA(logo->Handle, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0);
  CHECK(logo->Width == 136);  // the image's own size
  CHECK(logo->Height == 296);
  CHECK(!logo->TabStop);

  TBitmapControl* icon = new TBitmapControl(&f.Form);
  icon->Text = "MAINICON";
  icon->Style = SS_ICON | SS_CENTERIMAGE;
  icon->Left = 200;
  icon->Top = 5;
  icon->Width = 60;
  icon->Height = 50;
  icon->CreateHandle();
  f.Form.AddChild(icon);
  CHECK(SendMessageA(icon->Handle, STM_GETICON, 0, 0) != 0);
  RECT r;
  GetWindowRect(icon->Handle, &r);
  CHECK(r.right - r.left == 60);
  CHECK(r.bottom - r.top == 50);
}

TEST_CASE("every control on one window, drawn on the screen (saved as ui-gallery.png)") {
  TWinControl form(nullptr);
  PlaceForm(&form, 40, 40, 560, 400);
  form.Style = WS_POPUP | WS_CLIPCHILDREN;
  form.Text = "Kestin toolkit gallery";
  form.CreateHandle();

  TLabel* title = NewLabel(&form, "Kestin toolkit", 170, 8, 0, 0, 0xFFFFFF, 0xC0C0C0, 1, 0);
  title->Font.SetName("Times New Roman");
  title->Font.SetStyle(3);
  title->Font.SetSize(20);
  title->ShadowColor = 0x404040;
  title->SetShadowDepth(2);

  TBitmapControl* logo = new TBitmapControl(&form);
  logo->Text = "LOGO";
  logo->Style = SS_BITMAP | SS_CENTERIMAGE;
  logo->SunkenEdge = true;
  logo->Left = 10;
  logo->Top = 10;
  logo->Width = 141;
  logo->Height = 304;
  logo->CreateHandle();
  form.AddChild(logo);

  TBitmapControl* icon = new TBitmapControl(&form);
  icon->Text = "MAINICON";
  icon->Style = SS_ICON;
  icon->Left = 500;
  icon->Top = 10;
  icon->CreateHandle();
  form.AddChild(icon);

  TLabel* name = NewLabel(&form, "Name:", 170, 52, 0, 0, 0, 0xC0C0C0, 1, 0);
  TEdit* edit = NewEdit(&form, "Edit field", 250, 50, 200, 24, 0, 0xFFFFFF, 0);
  TListBox* list = NewListBox(&form, 170, 84, 150, 90, 0, 0xFFFFFF, true);
  for (const char* s : {"Program files", "Help", "Samples", "Tools", "Drivers", "Fonts", "Extras"})
    list->AddItem(s);
  TGroupBox* group = NewGroupBox(&form, "Options", 330, 80, 210, 95, 0, 0xC0C0C0);
  TCheckBox* check = NewCheckBox(group, "Desktop shortcut", 10, 20, 180, 24, 0, 0xC0C0C0);
  check->SetChecked(true);
  NewCheckBox(group, "Start the program", 10, 50, 180, 24, 0, 0xC0C0C0);
  TProgressBar* bar = NewProgressBar(&form, 170, 190, 370, 24, 0xFF0000, 0xC0C0C0, 100);
  bar->SetPosition(60);
  TLabel* percent = NewLabel(&form, "60 %", 170, 220, 370, 0, 0x800000, 0xC0C0C0, 2, 1);
  TLabel* off = NewLabel(&form, "A disabled label", 170, 245, 0, 0, 0, 0xC0C0C0, 1, 0);
  off->SetEnabled(false);
  TLabel* wrap = NewLabel(&form,
                          "A long label that wraps its words onto several lines within the width it "
                          "was given, sized by the toolkit.",
                          170, 268, 370, 0, 0, 0xC0C0C0, 1, 0);
  wrap->SetWordWrap(true);  // before auto size, so the given width is where it wraps
  wrap->SetAutoSize(true);
  NewButton(&form, "Back", 250, 360, 90, 25, 0, 0xC0C0C0, 0);
  NewButton(&form, "Next", 350, 360, 90, 25, 0, 0xC0C0C0, 1);
  NewButton(&form, "Cancel", 450, 360, 90, 25, 0, 0xC0C0C0, 2);
  edit->SetFocus();

  // A transparent label's text replaced by a shorter one leaves nothing behind.
  percent->SetText("100 % and some more text");
  REQUIRE(MakeForeground(form.Handle));
  PumpFor(300);
  percent->SetText("60 %");
  PumpFor(300);
  {
    TShot before = CaptureWindow(form.Handle);
    RECT p = RectIn(form.Handle, percent->Handle);
    CHECK(CountPixels(before, p, 0x800000) > 10);
    // Where the longer text stood, right of the short one, only the background.
    CHECK(!AnyPixelNot(before, RECT{p.right - 110, p.top + 2, p.right - 5, p.bottom - 2}, 0xC0C0C0));
  }
  // Refreshing the form paints its transparent children again, after it.
  form.Refresh();
  PumpFor(200);

  TShot shot = CaptureWindow(form.Handle);
  REQUIRE(shot.Width == 560);
  REQUIRE(shot.Height == 400);
  CHECK(SavePng(BinaryPath("ui-gallery.png"), shot));

  const COLORREF silver = 0xC0C0C0;
  CHECK(shot.At(160, 340) == silver);                       // the form's own background
  RECT e = RectIn(form.Handle, edit->Handle);
  CHECK(shot.At(e.right - 10, e.top + 12) == 0xFFFFFF);     // the edit's white inside
  CHECK(AnyPixelNot(shot, RECT{e.left + 4, e.top + 4, e.left + 60, e.bottom - 4}, 0xFFFFFF));  // its text
  RECT b = RectIn(form.Handle, bar->Handle);
  CHECK(shot.At(b.left + 30, b.top + 12) != silver);        // the filled part of the bar
  CHECK(shot.At(b.right - 30, b.top + 12) != shot.At(b.left + 30, b.top + 12));
  RECT l = RectIn(form.Handle, logo->Handle);
  CHECK(AnyPixelNot(shot, RECT{l.left + 20, l.top + 20, l.right - 20, l.bottom - 20}, silver));
  RECT t = RectIn(form.Handle, title->Handle);
  CHECK(CountPixels(shot, t, 0xFFFFFF) > 20);               // the title's text
  CHECK(CountPixels(shot, t, 0x404040) > 20);               // and its shadow
  RECT p = RectIn(form.Handle, percent->Handle);
  CHECK(CountPixels(shot, p, 0x800000) > 10);
  RECT n = RectIn(form.Handle, name->Handle);
  CHECK(AnyPixelNot(shot, n, silver));
  RECT g = RectIn(form.Handle, group->Handle);
  CHECK(AnyPixelNot(shot, RECT{g.left + 12, g.top + 24, g.left + 28, g.top + 40}, silver));  // a box
}
