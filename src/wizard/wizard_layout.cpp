#include "wizard/wizard_layout.h"

int RoundHalfEven(long long num, long long den) {
  long long q = num / den, r = num % den;
  if (2 * r > den || (2 * r == den && (q & 1))) q++;
  return (int)q;
}

TBox ButtonBox(int index, int w, int h) { return {w - 310 + 100 * index, h - 40, 90, 25}; }

TBox LogoBox(int h) {
  int height = h - 80;
  return {10, 10, RoundHalfEven((long long)height * 20, 43), height};
}

int ComponentRowHeight(const TBox& logo) { return RoundHalfEven(logo.Height, 9); }

int FirstComponentTop(const TBox& logo) { return RoundHalfEven(ComponentRowHeight(logo) * 3LL, 2) + 10; }

TBox LowerGroupBox(const TBox& logo, int w) {
  int left = IconLeft(logo);
  return {left, logo.Bottom() - 75, w - left - 10, 75};
}

TBox SizeValueBox(int w, int top) { return {w - 110, top, 80, 30}; }
