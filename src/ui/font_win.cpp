// TFont and the list of installed faces, TFonts.
#include "ui/font.h"

#include <stdlib.h>
#include <string.h>

#include "base/code_page_text.h"
#include "ui/dispatch_rules.h"
#include "ui/geometry.h"
#include "ui/window.h"

static TFonts* FaceList;
static int SystemCharset = -1;
static int NamedCharset = 0;

void NameScriptCharset(int charset) { NamedCharset = charset & 0xFF; }

int DefaultCharset() {
  // The locale's set, also when the program runs with UTF-8 as its code page
  // (which has no set of its own): the fonts stay what they always were.
  if (SystemCharset < 0) SystemCharset = CharsetForCodePage(LegacyCodePage());
  // 0 names no set: the system's code page decides.
  return NamedCharset != 0 ? NamedCharset : SystemCharset;
}

TFonts& FontFaces() {
  StartToolkit();
  int charset = DefaultCharset();
  if (!FaceList)
    FaceList = new TFonts(charset);
  else
    FaceList->SetListCharset(charset);
  return *FaceList;
}

// --- TFont ---

TFont::TFont(TWinControl* owner) : Owner(owner) {
  TFonts& faces = FontFaces();
  PixelsPerInch = ScreenPixelsPerInch;
  // The result of SetPitch(2), SetStyle(0), SetCharset(default),
  // SetName("Arial") and SetSize(8), with one font object made at the end.
  // No window exists yet, so the face's description replaces everything but
  // the size set after it.
  Pitch = 2;
  Desc.lfPitchAndFamily = 2;
  Desc.lfWeight = FW_NORMAL;
  Desc.lfCharSet = (BYTE)DefaultCharset();
  memcpy(Desc.lfFaceName, "Arial", sizeof "Arial");
  faces.Describe("Arial", Pitch, &Desc);
  Size = Desc.lfHeight = FontHeightForPoints(8, PixelsPerInch);
  Apply();
}

TFont::~TFont() {
  if (Handle) DeleteObject(Handle);
}

void TFont::SetName(const char* face) {
  if (!face || !*face) return;
  LOGFONTA d = Desc;
  // With no list to choose from, the system maps the name itself.
  lstrcpynA(d.lfFaceName, face, LF_FACESIZE);
  FontFaces().Describe(face, Pitch, &d);
  // Once the window shows the font, its height and look survive a change of
  // face; before that, the face's description is taken whole, and the size
  // and style are set after the name.
  if (Owner && Owner->Handle) {
    d.lfHeight = Desc.lfHeight;
    d.lfWeight = Desc.lfWeight;
    d.lfItalic = Desc.lfItalic;
    d.lfUnderline = Desc.lfUnderline;
  }
  Desc = d;
  Apply();
}

void TFont::SetSize(int points) {
  Size = Desc.lfHeight = FontHeightForPoints(points, PixelsPerInch);
  Apply();
}

void TFont::SetStyle(int bits) {
  Desc.lfWeight = (bits & 1) ? FW_BOLD : FW_NORMAL;
  Desc.lfItalic = (bits & 2) ? 1 : 0;
  Desc.lfUnderline = (bits & 4) ? 1 : 0;
  Desc.lfStrikeOut = (bits & 8) ? 1 : 0;
  Apply();
}

void TFont::SetPitch(int pitch) {
  Pitch = (unsigned char)pitch;
  // Pitch bits are only ever added to the description, never cleared.
  if (pitch == 1 || pitch == 2) Desc.lfPitchAndFamily |= (BYTE)pitch;
  Apply();
}

void TFont::SetCharset(int charset) {
  Desc.lfCharSet = (BYTE)charset;
  Apply();
}

void TFont::SetRawHeight(int height) {
  Size = Desc.lfHeight = height;
  Apply();
}

void TFont::SetFontColor(int colour) {
  if (colour == Colour) return;
  Colour = colour;
  if (Owner && Owner->Handle) Owner->TextColor = (int)ResolveColour(colour);
}

void TFont::Apply() {
  Desc.lfWidth = 0;
  HFONT previous = Handle;
  Handle = CreateFontIndirectA(&Desc);
  if (Owner && Owner->Handle) SendMessageA(Owner->Handle, WM_SETFONT, (WPARAM)Handle, TRUE);
  if (previous) DeleteObject(previous);
  if (Owner) Owner->FontChanged();
}

// --- TFonts ---

TFonts::TFonts(int charset) : Charset((unsigned char)charset) { Rebuild(); }

TFonts::~TFonts() { free(Faces); }

namespace {
struct TEnumState {
  TFonts* List;
  int Found;
  int Room;  // 0 while counting
};
}  // namespace

// Whether the face renders as TrueType: a small font of that face is made
// and the metrics the system gives it are asked.
static bool IsTrueTypeFace(HDC dc, const char* face) {
  HFONT probe = CreateFontA(10, 10, 0, 0, FW_NORMAL, 0, 0, 0, 204, 0, 0, 0, 0, face);
  if (!probe) return false;
  HGDIOBJ old = SelectObject(dc, probe);
  TEXTMETRICA tm;
  bool trueType = GetTextMetricsA(dc, &tm) && (tm.tmPitchAndFamily & TMPF_TRUETYPE);
  SelectObject(dc, old);
  DeleteObject(probe);
  return trueType;
}

static int CALLBACK CollectFace(const LOGFONTA* lf, const TEXTMETRICA*, DWORD, LPARAM param) {
  TEnumState* s = reinterpret_cast<TEnumState*>(param);
  // Faces for vertical writing ("@" names) would turn the text on its side.
  if (lf->lfFaceName[0] == '@') return 1;
  if (s->List->TrueTypeOnly && !IsTrueTypeFace(s->List->Dc, lf->lfFaceName)) return 1;
  if (s->Room) {
    if (s->Found >= s->Room) return 0;
    s->List->Faces[s->Found] = *lf;
  }
  s->Found++;
  return 1;
}

void TFonts::Rebuild() {
  Dc = GetDC(nullptr);
  LOGFONTA want = {};
  want.lfCharSet = Charset;
  TEnumState s = {this, 0, 0};
  EnumFontFamiliesExA(Dc, &want, (FONTENUMPROCA)CollectFace, (LPARAM)&s, 0);
  free(Faces);
  Faces = static_cast<LOGFONTA*>(malloc((s.Found ? s.Found : 1) * sizeof(LOGFONTA)));
  if (!Faces) abort();
  s.Room = s.Found;
  s.Found = 0;
  if (s.Room) EnumFontFamiliesExA(Dc, &want, (FONTENUMPROCA)CollectFace, (LPARAM)&s, 0);
  // A face removed between the passes leaves fewer entries, never more.
  Count = s.Found;
  ReleaseDC(nullptr, Dc);
  Dc = nullptr;
}

int TFonts::Find(int pitch, const char* name) const {
  for (int i = 0; i < Count; i++) {
    if (lstrcmpiA(Faces[i].lfFaceName, name) != 0) continue;
    int bits = Faces[i].lfPitchAndFamily & 0x0F;
    if (pitch == 0 || bits == pitch) return i;
  }
  return 0;
}

void TFonts::Describe(const char* name, int pitch, LOGFONTA* out) const {
  if (Count > 0) *out = Faces[Find(pitch, name)];
}

void TFonts::SetListCharset(int charset) {
  if ((unsigned char)charset == Charset) return;
  Charset = (unsigned char)charset;
  Rebuild();
}
