// Fonts: faces chosen from the installed list, sizes, styles, character sets
// (also the setup script's CharSet), and what a window gets of them.
#include <doctest/doctest.h>

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "base/code_page_text.h"
#include "ui/dispatch_rules.h"
#include "ui/geometry.h"
#include "ui_test_support.h"

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = (char)tolower((unsigned char)c);
  return s;
}

TEXTMETRICA MetricsOf(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm;
}

struct TScriptCharSet {
  explicit TScriptCharSet(int cs) { NameScriptCharset(cs); }
  ~TScriptCharSet() { NameScriptCharset(0); }
};

}  // namespace

TEST_CASE("the test session is pinned: Wine's faces and one CJK face, code page 1252, UTC") {
  std::string faces;  // a host's fonts would change what the tests measure
  for (int i = 0; i < FontFaces().Count; i++) faces += std::string(FontFaces().Faces[i].lfFaceName) + "; ";
  // The first is the face for names not installed; the last is the CJK face
  // under the name Windows links its UI fonts to.
  CHECK(faces == "Tahoma; Droid Sans Fallback; MS UI Gothic; ");
  CHECK(LegacyCodePage() == 1252);  // the locale's; the program itself runs in UTF-8
  CHECK(GetUserDefaultLCID() == 0x0409);
  TIME_ZONE_INFORMATION zone;
  GetTimeZoneInformation(&zone);
  CHECK(zone.Bias == 0);
}

TEST_CASE("the face list holds installed faces of the default character set") {
  TFonts& faces = FontFaces();
  REQUIRE(faces.Count > 0);
  CHECK(faces.Charset == CharsetForCodePage(LegacyCodePage()));
  for (int i = 0; i < faces.Count; i++) {
    CHECK(faces.Faces[i].lfFaceName[0] != '@');
    CHECK(faces.Faces[i].lfCharSet == faces.Charset);
  }
  CHECK(faces.Dc == nullptr);  // held only while building
}

TEST_CASE("SetName finds a face in any letter case and keeps it spelled as installed") {
  TFonts& faces = FontFaces();
  REQUIRE(faces.Count > 1);
  std::string installed = faces.Faces[faces.Count - 1].lfFaceName;
  TWinControl w(nullptr);
  w.Font.SetName(Lower(installed).c_str());
  CHECK(std::string(w.Font.Desc.lfFaceName) == installed);
  LOGFONTA made;
  GetObjectA(w.Font.Handle, sizeof made, &made);
  CHECK(std::string(made.lfFaceName) == installed);
}

TEST_CASE("a face that is not installed gives the first face of the list") {
  TFonts& faces = FontFaces();
  TWinControl w(nullptr);
  w.Font.SetName("No Such Face Kestin");
  CHECK(std::string(w.Font.Desc.lfFaceName) == faces.Faces[0].lfFaceName);
  std::string before = w.Font.Desc.lfFaceName;
  w.Font.SetName("");
  CHECK(std::string(w.Font.Desc.lfFaceName) == before);
}

TEST_CASE("a face is found only with a pitch that passes the font's pitch choice") {
  TFonts& faces = FontFaces();
  REQUIRE(faces.Count > 1);
  int last = faces.Count - 1;
  const char* name = faces.Faces[last].lfFaceName;
  int pitch = faces.Faces[last].lfPitchAndFamily & 0x0F;
  REQUIRE((pitch == 1 || pitch == 2));
  CHECK(faces.Find(0, name) == last);
  CHECK(faces.Find(pitch, Lower(name).c_str()) == last);
  CHECK(faces.Find(3 - pitch, name) == 0);

  TWinControl w(nullptr);
  CHECK(w.Font.Pitch == 2);
  w.Font.SetPitch(3 - pitch);
  w.Font.SetName(name);
  CHECK(std::string(w.Font.Desc.lfFaceName) == faces.Faces[0].lfFaceName);
  w.Font.SetPitch(pitch);
  w.Font.SetName(name);
  CHECK(std::string(w.Font.Desc.lfFaceName) == name);
}

TEST_CASE("a new font: variable pitch, regular, 8 points, the default character set") {
  TWinControl w(nullptr);
  CHECK(w.Font.Pitch == 2);
  CHECK((w.Font.Desc.lfPitchAndFamily & 2));
  CHECK(w.Font.Desc.lfWeight == 400);
  CHECK(w.Font.Desc.lfItalic == 0);
  CHECK(w.Font.Size == FontHeightForPoints(8, ScreenPixelsPerInch));
  CHECK(w.Font.Desc.lfCharSet == DefaultCharset());
  CHECK(w.Font.Handle != nullptr);
}

TEST_CASE("sizes in points at 96 pixels per inch") {
  REQUIRE(ScreenPixelsPerInch == 96);
  TWinControl w(nullptr);
  w.Font.SetSize(8);
  CHECK(w.Font.Desc.lfHeight == -11);
  CHECK(w.Font.Size == -11);
  w.Font.SetSize(24);
  CHECK(w.Font.Desc.lfHeight == -32);
  TEXTMETRICA tm = MetricsOf(w.Font.Handle);
  // The renderer may round a face's character height by a pixel.
  CHECK(std::abs(tm.tmHeight - tm.tmInternalLeading - 32) <= 1);
  w.Font.SetRawHeight(20);
  CHECK(w.Font.Desc.lfHeight == 20);
}

TEST_CASE("styles: bold and italic, then back to plain") {
  TWinControl w(nullptr);
  w.Font.SetStyle(3);
  CHECK(w.Font.Desc.lfWeight == 700);
  CHECK(w.Font.Desc.lfItalic == 1);
  CHECK(w.Font.Desc.lfUnderline == 0);
  w.Font.SetStyle(4 | 8);
  CHECK(w.Font.Desc.lfWeight == 400);
  CHECK(w.Font.Desc.lfUnderline == 1);
  CHECK(w.Font.Desc.lfStrikeOut == 1);
  w.Font.SetStyle(0);
  CHECK(w.Font.Desc.lfWeight == 400);
  CHECK(w.Font.Desc.lfItalic == 0);
  CHECK(w.Font.Desc.lfUnderline == 0);
  CHECK(w.Font.Desc.lfStrikeOut == 0);
}

TEST_CASE("a change of face keeps height, weight, italic and underline once the window exists") {
  TFonts& faces = FontFaces();
  int other = 1;  // a variable-pitch face other than the first
  while (other < faces.Count && (faces.Faces[other].lfPitchAndFamily & 0x0F) != 2) other++;
  REQUIRE(other < faces.Count);
  const LOGFONTA& face = faces.Faces[other];
  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 300, 200);
  form.CreateHandle();
  TLabel* label = NewLabel(&form, "Text", 10, 10, 0, 0, 0, 0xC0C0C0, 1, 0);
  label->Font.SetSize(14);
  label->Font.SetStyle(1 | 2 | 4 | 8);
  label->Font.SetName(face.lfFaceName);
  CHECK(label->Font.Desc.lfHeight == -19);
  CHECK(label->Font.Desc.lfWeight == 700);
  CHECK(label->Font.Desc.lfItalic == 1);
  CHECK(label->Font.Desc.lfUnderline == 1);
  CHECK(label->Font.Desc.lfStrikeOut == face.lfStrikeOut);  // the face's own
  CHECK(std::string(label->Font.Desc.lfFaceName) == face.lfFaceName);

  // Before the window exists the face's description is taken whole; the size
  // and style are set after the name.
  TLabel early(&form);
  early.Font.SetSize(14);
  early.Font.SetStyle(1 | 2);
  early.Font.SetName(face.lfFaceName);
  CHECK(early.Font.Desc.lfHeight == face.lfHeight);
  CHECK(early.Font.Desc.lfWeight == face.lfWeight);
  CHECK(early.Font.Desc.lfItalic == face.lfItalic);
  early.Font.SetSize(14);
  CHECK(early.Font.Desc.lfHeight == -19);
}

TEST_CASE("the window gets each new font object, and the one before is released") {
  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 300, 200);
  form.CreateHandle();
  TEdit* edit = NewEdit(&form, "x", 10, 10, 100, 24, 0, 0xFFFFFF, 0);
  HFONT before = edit->Font.Handle;
  CHECK((HFONT)SendMessageA(edit->Handle, WM_GETFONT, 0, 0) == before);
  edit->Font.SetSize(12);
  CHECK((HFONT)SendMessageA(edit->Handle, WM_GETFONT, 0, 0) == edit->Font.Handle);
  CHECK(edit->Font.Handle != before);
  CHECK(GetObjectType(before) == 0);
}

TEST_CASE("the font colour becomes the window's text colour once the window exists") {
  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 300, 200);
  TLabel early(&form);
  early.Font.SetFontColor(0x0000FF);
  CHECK(early.TextColor == 0);
  CHECK(early.Font.Colour == 0x0000FF);
  form.CreateHandle();
  TLabel* label = NewLabel(&form, "Text", 10, 10, 0, 0, 0, 0xC0C0C0, 1, 0);
  label->Font.SetFontColor((int)0x80000008);  // the system's window text colour
  CHECK(label->TextColor == (int)GetSysColor(COLOR_WINDOWTEXT));
}

TEST_CASE("a label in the script's character set and a given size measures as expected") {
  TScriptCharSet cyrillic(204);
  CHECK(DefaultCharset() == 204);
  TWinControl form(nullptr);
  PlaceForm(&form, 30, 30, 400, 200);
  form.CreateHandle();
  CHECK(FontFaces().Charset == 204);  // rebuilt for the new set
  // A greeting from a package in code page 1251, as setup hands it on: in the
  // code page it runs under (UTF-8).
  const char* text = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80";
  const wchar_t* wide = L"\x041F\x0440\x0438\x0432\x0435\x0442, \x043C\x0438\x0440";
  TLabel* label = NewLabel(&form, text, 10, 10, 0, 0, 0, 0xC0C0C0, 1, 0);
  label->Font.SetSize(12);
  CHECK(label->Font.Desc.lfCharSet == 204);
  // 12 points on the session's 96-pixels-per-inch display: a 16-pixel
  // character height is what is asked for. What the font the system picks
  // then measures depends on the fonts installed (one more font package
  // gives 15), so below the label is held only to that font's own metrics.
  CHECK(label->Font.Desc.lfHeight == -16);
  TEXTMETRICA tm = MetricsOf(label->Font.Handle);
  CHECK(tm.tmCharSet == 204);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, label->Font.Handle);
  SIZE s;
  GetTextExtentPoint32W(dc, wide, lstrlenW(wide), &s);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  CHECK(label->Width == s.cx + 2);
  CHECK(label->Height == tm.tmHeight);
}

TEST_CASE("a script's CharSet of 1 is used as it is") {
  TScriptCharSet one(1);
  CHECK(DefaultCharset() == 1);
  CHECK(FontFaces().Charset == 1);
}

TEST_CASE("without a character set from the script, fonts follow the locale's code page, also under UTF-8") {
  // This program runs with UTF-8 as its code page, as setup does; the set
  // is the locale's all the same, not the "default" set UTF-8 would give.
  CHECK(GetACP() == 65001);
  CHECK(LegacyCodePage() != 65001);
  for (int named : {0, 256}) {
    TScriptCharSet none(named);
    CHECK(DefaultCharset() == CharsetForCodePage(LegacyCodePage()));
    TWinControl w(nullptr);
    CHECK(w.Font.Desc.lfCharSet == CharsetForCodePage(LegacyCodePage()));
    CHECK(FontFaces().Charset == CharsetForCodePage(LegacyCodePage()));
  }
}

