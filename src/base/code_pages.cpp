#include "base/code_pages.h"

namespace {

struct TCodePageCharset {
  unsigned short codePage;
  unsigned char charSet;
};

const TCodePageCharset kPairs[] = {
    {874, 222},  {932, 128},  {936, 134},  {949, 129},  {950, 136},  {1250, 238}, {1251, 204},
    {1252, 0},   {1253, 161}, {1254, 162}, {1255, 177}, {1256, 178}, {1257, 186}, {1361, 130},
};

}  // namespace

unsigned LegacyCodePageRule(unsigned activeCodePage, unsigned localeCodePage) {
  if (activeCodePage != kUtf8CodePage) return activeCodePage;
  // A locale with no ANSI code page of its own answers 0 (or UTF-8 itself).
  return localeCodePage != 0 && localeCodePage != kUtf8CodePage ? localeCodePage : 1252;
}

int CharsetForCodePage(unsigned codePage) {
  for (const TCodePageCharset& p : kPairs)
    if (p.codePage == codePage) return p.charSet;
  return 1;
}

unsigned CodePageForCharset(int charSet) {
  for (const TCodePageCharset& p : kPairs)
    if (p.charSet == (charSet & 0xFF)) return p.codePage;
  return 0;
}

unsigned PackageCodePageRule(bool named, int charSet, unsigned legacyCodePage) {
  unsigned page = named ? CodePageForCharset(charSet) : 0;
  return page ? page : legacyCodePage;
}

unsigned TextCodePageRule(const char* text, size_t size, unsigned packageCodePage) {
  bool bom = size >= 3 && (unsigned char)text[0] == 0xEF && (unsigned char)text[1] == 0xBB &&
             (unsigned char)text[2] == 0xBF;
  return bom ? kUtf8CodePage : packageCodePage;
}
