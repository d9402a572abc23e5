#include "ui/geometry.h"

int ScaleRound(int value, int num, int den) {
  int p = value * num;
  bool negative = (p < 0) != (den < 0);
  if (p < 0) p = -p;
  if (den < 0) den = -den;
  int r = (p + den / 2) / den;
  return negative ? -r : r;
}

int LayoutToDevice(int value, int dpi) { return dpi == 96 ? value : ScaleRound(value, dpi, 96); }
int DeviceToLayout(int value, int dpi) { return dpi == 96 ? value : ScaleRound(value, 96, dpi); }
int DeviceToLayoutUp(int value, int dpi) {
  if (dpi == 96 || value <= 0) return DeviceToLayout(value, dpi);
  // The least layout value whose device size (rounded) reaches `value`.
  return ((2 * value - 1) * 96 + 2 * dpi - 1) / (2 * dpi);
}

int FontHeightForPoints(int points, int dpi) { return -ScaleRound(points, dpi, 72); }

int CentredStart(int outer, int inner) { return (outer - inner) / 2; }

TBox PlaceMeasuredLabel(TBox old, int measuredWidth, int measuredHeight, bool rightAligned) {
  TBox b = old;
  if (rightAligned) b.Left = old.Right() - measuredWidth;
  b.Width = measuredWidth;
  b.Height = measuredHeight;
  return b;
}

void ShadowOffset(int direction, int depth, int* dx, int* dy) {
  // Directions outside 0 to 3 fall back to the usual down-right shadow.
  switch (direction) {
    case 0: *dx = -depth; *dy = -depth; break;
    case 1: *dx = -depth; *dy = depth; break;
    case 3: *dx = depth; *dy = -depth; break;
    default: *dx = depth; *dy = depth; break;
  }
}
