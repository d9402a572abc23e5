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
  // In 32 bits: a 64-bit division would link a kilobyte of the compiler's
  // support code into setup.exe for this one line. Unsigned, so the
  // magnitude plus half of c cannot overflow.
  unsigned n = (unsigned)a * (unsigned)b;
  bool negative = (a < 0) != (b < 0) && n;
  if (negative) n = 0u - n;
  unsigned q = (n + (unsigned)c / 2) / (unsigned)c;
  return negative ? -(int)q : (int)q;
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
