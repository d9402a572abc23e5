// Where the wizard's controls go, from the wizard's client width W and its
// set height H (384, the outer height). Positions are relative to the
// wizard's client area, in layout pixels.
#pragma once
#include "ui/geometry.h"  // TBox, CentredStart

const int kWizardWidth = 640;
const int kWizardHeight = 384;
const int kBackgroundWidth = 800;
const int kBackgroundHeight = 600;

// num / den rounded to the nearest integer, halves to the even neighbour.
// In int: the layout's values are a few thousand at most, and a 64-bit
// division would link the compiler's support code into setup.exe.
int RoundHalfEven(int num, int den);

// Back (0), Next (1) and Cancel (2).
TBox ButtonBox(int index, int w, int h);
// The logo at the left: H - 80 high, width round(height * 20 / 43).
TBox LogoBox(int h);
// The icon's left on the pages with the logo.
inline int IconLeft(const TBox& logo) { return logo.Right() + 10; }

// Component rows: row height round(logo height / 9), the first row at
// round(row height * 1.5) + 10.
int ComponentRowHeight(const TBox& logo);
int FirstComponentTop(const TBox& logo);

// A size value (component, required, available space) in the row at `top`:
// right-aligned, ending 30 pixels from the right, wide enough for the
// kilobytes of a terabyte disk ("1073741824K").
TBox SizeValueBox(int w, int top);

// The description and folder group boxes: at the icon's left, W - L - 10
// wide, 75 high, bottom on the logo's bottom.
TBox LowerGroupBox(const TBox& logo, int w);

// A body text of `height` placed at `top`, cut so it ends at `limit`.
inline int CutHeight(int top, int height, int limit) { return top + height > limit ? limit - top : height; }
