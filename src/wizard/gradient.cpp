#include "wizard/gradient.h"

TGradientPlan PlanGradient(int height, int steps) {
  TGradientPlan p;
  if (height <= 0) return p;
  if (steps < 2) {
    p.Plain = true;
    return p;
  }
  int b = steps < height ? steps : height;
  if (b < 2) b = 2;
  p.Height = height / b;
  p.Count = p.Height ? b : 0;
  p.Remainder = height % b;
  return p;
}

int MulDivRound(int a, int b, int c) {
  long long n = (long long)a * b;
  long long q = n >= 0 ? (n + c / 2) / c : -((-n + c / 2) / c);
  return (int)q;
}

unsigned GradientBandColour(unsigned from, unsigned to, int i, int count) {
  unsigned out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    int start = (int)((from >> shift) & 0xFF);
    int delta = (int)((to >> shift) & 0xFF) - start;
    int v = start + (count > 1 ? MulDivRound(i, delta, count - 1) : 0);
    if (v < 0) v = 0;
    if (v > 255) v = 255;
    out |= (unsigned)v << shift;
  }
  return out;
}
