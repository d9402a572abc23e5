// Sizes and positions of the window toolkit, free of the window manager so
// they can be checked anywhere.
//
// Every window is laid out in layout pixels: pixels of a display at 96 dots
// per inch. On a scaled display (more dots per inch) they are multiplied out
// where they reach the system, so the wizard keeps its proportions and its
// text stays sharp.
#pragma once

// Multiplies by num / den, rounding halves away from zero (as the system's
// MulDiv does); den must not be 0. Values are small (sizes, points, dpi).
int ScaleRound(int value, int num, int den);

// Layout pixels to device pixels at `dpi`, and back.
int LayoutToDevice(int value, int dpi);
int DeviceToLayout(int value, int dpi);
// Back to layout pixels for measured sizes: the least layout value that scales
// to at least `value`, so a measured text loses no device pixel.
int DeviceToLayoutUp(int value, int dpi);

// The character height (negative, as the system's font description wants it)
// of a size in points at `dpi`.
int FontHeightForPoints(int points, int dpi);

// Start of a span of `inner` centred in `outer`; halves round toward zero, so
// an inner span larger than the outer one starts at a negative position.
int CentredStart(int outer, int inner);

// A rectangle by its left, top, width and height, in layout pixels.
struct TBox {
  int Left, Top, Width, Height;
  int Right() const { return Left + Width; }
  int Bottom() const { return Top + Height; }
};

// Where an auto-sized label goes once its text is measured: same top, the
// measured size; a right-aligned label keeps its right edge.
TBox PlaceMeasuredLabel(TBox old, int measuredWidth, int measuredHeight, bool rightAligned);

// Offset of a label's shadow for a shadow direction (0 up-left, 1 down-left,
// 2 down-right, 3 up-right) and depth.
void ShadowOffset(int direction, int depth, int* dx, int* dy);
