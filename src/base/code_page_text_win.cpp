#include <windows.h>

#include "base/code_page_text.h"
#include "base/code_pages.h"

namespace {

// `text` in code page `from` as UTF-16; false when the system has no such
// code page. `units` is the count, without a terminating zero.
bool Widen(const TStr& text, unsigned from, WCHAR** wide, int* units) {
  *wide = nullptr;
  *units = 0;
  if (text.empty()) return true;
  int n = MultiByteToWideChar(from, 0, text.c_str(), (int)text.size(), nullptr, 0);
  if (n <= 0) return false;
  *wide = new WCHAR[n];
  *units = MultiByteToWideChar(from, 0, text.c_str(), (int)text.size(), *wide, n);
  return true;
}

// UTF-16 into code page `to`; `lossless` (when given) false when a character
// took the default character.
TStr Narrow(const WCHAR* wide, int units, unsigned to, bool* lossless) {
  TStr out;
  BOOL usedDefault = FALSE;
  // UTF-8 holds every character, and the call refuses the default-character
  // arguments for it.
  BOOL* used = to == kUtf8CodePage || (to == CP_ACP && GetACP() == kUtf8CodePage) ? nullptr : &usedDefault;
  int n = units ? WideCharToMultiByte(to, 0, wide, units, nullptr, 0, nullptr, used) : 0;
  if (n > 0) {
    out.resize((size_t)n);
    WideCharToMultiByte(to, 0, wide, units, out.buffer(), n, nullptr, used);
  }
  if (lossless) *lossless = !usedDefault && (n > 0 || units == 0);
  return out;
}

}  // namespace

unsigned LegacyCodePage() {
  DWORD locale = 0;
  if (!GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER, (LPSTR)&locale,
                      sizeof locale / sizeof(char)))
    locale = 0;
  return LegacyCodePageRule(GetACP(), locale);
}

TStr ToActiveCodePage(const TStr& text, unsigned from) {
  TStr source = text;
  if (from == kUtf8CodePage && text.size() >= 3 && text.find("\xEF\xBB\xBF") == 0) source = text.substr(3);
  if (from == 0 || from == GetACP()) return source;
  WCHAR* wide;
  int units;
  // A code page the system does not have leaves the text as it was.
  if (!Widen(source, from, &wide, &units)) return source;
  TStr out = Narrow(wide, units, CP_ACP, nullptr);
  delete[] wide;
  return out;
}

TStr PackageTextToActive(const TStr& text, unsigned packageCodePage) {
  return ToActiveCodePage(text, TextCodePageRule(text.c_str(), text.size(), packageCodePage));
}

bool FromActiveCodePage(const TStr& text, unsigned to, TStr* out) {
  if (to == GetACP()) {
    *out = text;
    return true;
  }
  WCHAR* wide;
  int units;
  bool lossless = false;
  *out = Widen(text, CP_ACP, &wide, &units) ? Narrow(wide, units, to, &lossless) : TStr();
  delete[] wide;
  return lossless;
}
