// The background's vertical colour gradient as bands: how many, how high, and
// the colour of each. Colours are 0x00BBGGRR values already resolved.
#pragma once

struct TGradientPlan {
  // Bands of Height rows each from the top; Count 0 draws no band.
  int Count = 0;
  int Height = 0;
  // Rows left at the bottom, filled with the end colour.
  int Remainder = 0;
  // Fewer than two steps: the whole area in the start colour.
  bool Plain = false;
};

// The plan for an area `height` rows high drawn in `steps` steps. An empty
// area gives an empty plan.
TGradientPlan PlanGradient(int height, int steps);

// Colour of band i of `count` from `from` to `to`. Each channel moves by its
// own signed difference, so a channel that falls fades down instead of
// wrapping round through the bright values.
unsigned GradientBandColour(unsigned from, unsigned to, int i, int count);

// a * b / c rounded to the nearest integer, halves away from zero; c > 0.
int MulDivRound(int a, int b, int c);
