#include "base/profile_values.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Convert(const TStr& input, int* out) {
  TStr text = input;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text = "$" + text.substr(2);
  const char* p = text.c_str();
  const char* end = p + text.size();
  while (p < end && *p == ' ') p++;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  bool hex = false;
  if (p < end && (*p == '$' || *p == 'x' || *p == 'X')) { hex = true; p++; }
  else if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) { hex = true; p += 2; }
  if (p == end) return false;
  const unsigned base = hex ? 16 : 10;
  unsigned v = 0;
  for (; p < end; p++) {
    int d = hex ? HexDigit(*p) : (*p >= '0' && *p <= '9' ? *p - '0' : -1);
    if (d < 0) return false;
    // Overflow of 32 bits, checked before the step.
    if (v > (0xFFFFFFFFu - (unsigned)d) / base) return false;
    v = v * base + (unsigned)d;
  }
  if (!hex && v > (negative ? 0x80000000u : 0x7FFFFFFFu)) return false;
  *out = negative ? (int)(0u - v) : (int)v;
  return true;
}

}  // namespace

int ProfileInteger(const TStr& text, int fallback) {
  int v;
  return Convert(text, &v) ? v : fallback;
}

int ProfileColour(const TStr& text) { return ProfileInteger(text, 0); }
