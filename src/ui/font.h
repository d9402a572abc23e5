// Fonts of the window toolkit. Every toolkit window owns one TFont, which
// keeps a system font description, makes the font object from it and hands
// it to the window. Faces are chosen by name from the installed TrueType faces
// of one character set (TFonts), built when the first font is made and again
// whenever the character set asked for changes (NameScriptCharset).
#pragma once
#include <windows.h>

class TWinControl;

class TFont {
 public:
  // Variable pitch, regular, the default character set, "Arial", 8 points.
  explicit TFont(TWinControl* owner);
  ~TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  // Each setter except SetFontColor ends with Apply.
  // A face of the installed list that passes the pitch choice, spelled as
  // installed, else the first face of the list. Once the owner's window
  // exists, height, weight, italic and underline are kept; everything else
  // (before the window: everything) comes from the face.
  void SetName(const char* face);
  void SetSize(int points);
  void SetStyle(int bits);  // 1 bold, 2 italic, 4 underline, 8 strike-out
  void SetPitch(int pitch);  // 0 any, 1 fixed, 2 variable
  void SetCharset(int charset);
  void SetRawHeight(int height);  // in description units
  void SetFontColor(int colour);
  // Makes the font object, hands it to the owner's window and tells the owner.
  void Apply();

  HFONT Handle = nullptr;
  TWinControl* Owner;
  int Size = 0;  // character height in pixels, negative
  unsigned char Pitch = 0;
  LOGFONTA Desc = {};
  int Colour = 0;
  int PixelsPerInch;
};

class TFonts {
 public:
  explicit TFonts(int charset);  // builds the list
  ~TFonts();
  TFonts(const TFonts&) = delete;
  TFonts& operator=(const TFonts&) = delete;

  void Rebuild();
  // Index of the first face named `name` (any letter case) that passes the
  // pitch filter (0 any, 1 fixed, 2 variable); 0, the first face, when none does.
  int Find(int pitch, const char* name) const;
  // Copies the description of Find's face into *out; an empty list leaves it.
  void Describe(const char* name, int pitch, LOGFONTA* out) const;
  void SetListCharset(int charset);

  HDC Dc = nullptr;  // held only while the list is built
  int Count = 0;
  LOGFONTA* Faces = nullptr;
  bool TrueTypeOnly = true;
  unsigned char Charset;
};

// The character set fonts are made with now: the one the setup script named
// (NameScriptCharset) when it named one, else that of the system's ANSI code
// page.
int DefaultCharset();
// The character set the setup script names, 0 for none: every other value,
// 1 included, is used as it is. Fonts made afterwards carry it, and the face
// list is rebuilt for it when it is next asked for.
void NameScriptCharset(int charset);
// The one face list, rebuilt first when DefaultCharset has changed.
TFonts& FontFaces();
