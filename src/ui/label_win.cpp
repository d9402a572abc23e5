// TLabel: a "STATIC" window that sizes itself to its text and, when it has a
// shadow, is transparent or is disabled, draws its text itself.
#include <string.h>

#include "ui/controls.h"
#include "ui/geometry.h"

static const TControlKind LabelKind = {"STATIC", 65, 17, 0x54000000, false, 1};
TLabel::TLabel(TWinControl* parent) : TStdControl(parent, LabelKind) {}

void TLabel::CreateHandle() {
  TStdControl::CreateHandle();  // applying the font measures the label
}

// The label's text is in the program's code page; DrawTextA would take it
// for the code page of the font's character set (Western for CharSet 0), so
// the text goes to the wide call, converted as the system's controls do.
static void DrawLabelText(HDC dc, const char* text, RECT* r, unsigned format) {
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  WCHAR* wide = new WCHAR[n > 0 ? n : 1];
  wide[0] = 0;
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, wide, n);
  DrawTextW(dc, wide, -1, r, format);
  delete[] wide;
}

// The system control is left to paint only a plain left-aligned label: the
// alignment belongs to the label's own drawing, not to the control's style.
bool TLabel::PaintsItself() const {
  return ShadowDepth > 0 || BackgroundMode == 2 || !Enabled || (Alignment & 3) != 0;
}

void TLabel::InvalidateUnder() const {
  if (!Handle || !Parent || !Parent->Handle) return;
  RECT r;
  GetWindowRect(Handle, &r);
  MapWindowPoints(nullptr, Parent->Handle, reinterpret_cast<POINT*>(&r), 2);
  // The label and any other child there are painted again after the parent.
  RedrawWindow(Parent->Handle, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TLabel::SetText(const TStr& text) {
  TWinControl::SetText(text);
  AdjustSize();
}

void TLabel::HandleOwnMessage(TMessage& m) {
  // The system control would paint a new text at once, over whatever is below
  // it; a label that draws itself stores the text and repaints instead, the
  // parent first when the label is transparent, so no old text stays behind.
  if (m.Msg == WM_SETTEXT && PaintsItself()) {
    m.Result = DefWindowProcA(Handle, m.Msg, m.WParam, m.LParam);
    if (BackgroundMode == 2)
      InvalidateUnder();
    else
      InvalidateRect(Handle, nullptr, TRUE);
  }
}

void TLabel::FontChanged() { AdjustSize(); }

void TLabel::SetWordWrap(bool on) {
  if (on)
    DrawFormat |= DT_WORDBREAK;
  else
    DrawFormat &= ~DT_WORDBREAK;
  AdjustSize();
}

void TLabel::SetAutoSize(bool on) {
  if (on == AutoSize) return;
  AutoSize = on;
  AdjustSize();
}

void TLabel::SetShadowDepth(int depth) {
  ShadowDepth = depth;
  AdjustSize();
  if (Handle) {
    if (BackgroundMode == 2)
      InvalidateUnder();
    else
      InvalidateRect(Handle, nullptr, TRUE);
  }
}

void TLabel::AdjustSize() {
  if (!AutoSize) return;
  // The label's client area, narrowed by a pixel on each side.
  RECT r = {1, 0, ToDevice(Width) - 1, ToDevice(Height)};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font.Handle);
  DrawLabelText(dc, Text.empty() ? " " : Text.c_str(), &r, DrawFormat | DT_CALCRECT | DT_EXPANDTABS);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  // The bounds are the text's own, so layouts built on them (centring, a kept
  // right edge) stay exact; a shadow reaching past the text is cut at them.
  int width = r.right - r.left + 2, height = r.bottom - r.top;
  TBox b = PlaceMeasuredLabel(TBox{Left, Top, Width, Height}, DeviceToLayoutUp(width, ScreenPixelsPerInch),
                              DeviceToLayoutUp(height, ScreenPixelsPerInch), (Alignment & 3) == 2);
  SetBounds(RECT{b.Left, b.Top, b.Right(), b.Bottom()});
}

void TLabel::HandleEraseBackground(TMessage& m) {
  if (BackgroundMode == 2)
    DefaultProcessing(m);
  else
    TWinControl::HandleEraseBackground(m);
}

void TLabel::HandlePaint(TMessage& m) {
  int depth = ShadowDepth, direction = ShadowDirection;
  COLORREF text = ResolveColour(TextColor), shadow = ResolveColour(ShadowColor);
  if (!Enabled) {
    // Engraved: grey text over a highlight shadow.
    text = GetSysColor(COLOR_GRAYTEXT);
    shadow = GetSysColor(COLOR_BTNHIGHLIGHT);
    if (depth == 0) {
      depth = 1;
      direction = 2;
    }
  }
  if (!PaintsItself()) {
    TWinControl::HandlePaint(m);
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = m.WParam ? (HDC)m.WParam : BeginPaint(Handle, &ps);
  RECT client;
  GetClientRect(Handle, &client);
  unsigned format = DrawFormat | (Alignment & 3);
  if (depth > 0) format |= DT_EXPANDTABS;
  if (BackgroundMode != 2) {
    HBRUSH b = BackgroundMode == 1 ? AncestorBrush() : Brush;
    if (b) FillRect(dc, &client, b);
  }
  TStr s = ReadWindowText(Handle);
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old = SelectObject(dc, Font.Handle);
  if (depth > 0) {
    int dx, dy;
    ShadowOffset(direction, ToDevice(depth), &dx, &dy);
    RECT r = client;
    OffsetRect(&r, dx, dy);
    ::SetTextColor(dc, shadow);
    DrawLabelText(dc, s.c_str(), &r, format);
  }
  ::SetTextColor(dc, text);
  DrawLabelText(dc, s.c_str(), &client, format);
  SelectObject(dc, old);
  if (!m.WParam) EndPaint(Handle, &ps);
}
