#include "package/stored_name.h"

#include "base/code_pages.h"
#include "base/str.h"
#include "uncab/fdi_types.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool IsDeviceName(const char* part, int len) {
  int stem = 0;
  while (stem < len && part[stem] != '.') stem++;
  while (stem > 0 && part[stem - 1] == ' ') stem--;
  TStr base = UpperAscii(TStr(part, (size_t)stem));
  static const char* const plain[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* d : plain)
    if (base == d) return true;
  if (base.size() == 4 && (base.substr(0, 3) == "COM" || base.substr(0, 3) == "LPT") &&
      base[3] >= '0' && base[3] <= '9')
    return true;
  return false;
}

namespace {

bool IsBadPart(const char* part, int len) {
  if (len == 0) return true;  // empty part: leading, doubled or trailing separator
  bool onlyDotsAndBlanks = true;
  for (int i = 0; i < len; i++)
    if (part[i] != '.' && part[i] != ' ') onlyDotsAndBlanks = false;
  return onlyDotsAndBlanks || IsDeviceName(part, len);
}

}  // namespace

bool IsSafeStoredName(const char* name) {
  if (!name || !*name) return false;
  for (const char* p = name; *p; p++)
    if ((unsigned char)*p < 32 || *p == ':') return false;
  const char* part = name;
  for (const char* p = name;; p++) {
    if (*p == 0 || IsSeparator(*p)) {
      if (IsBadPart(part, (int)(p - part))) return false;
      if (*p == 0) return true;
      part = p + 1;
    }
  }
}

bool IsPlainCabinetName(const char* name) {
  if (!name || !*name) return false;
  int len = 0;
  for (const char* p = name; *p; p++, len++)
    if ((unsigned char)*p < 32 || *p == ':' || IsSeparator(*p)) return false;
  return !IsBadPart(name, len);
}

TStr StoredNameAsPath(const char* name) {
  TStr path(name ? name : "");
  char* p = path.buffer();
  for (size_t i = 0; i < path.size(); i++)
    if (p[i] == '/') p[i] = '\\';
  return path;
}

namespace {
unsigned char KeyChar(char c) { return c == '/' ? '\\' : AsciiUpper(c); }
}  // namespace

TStr StoredNameKey(const char* name) {
  TStr key(name ? name : "");
  char* p = key.buffer();
  for (size_t i = 0; i < key.size(); i++) p[i] = (char)KeyChar(p[i]);
  return key;
}

int CompareStoredNames(const char* a, const char* b) {
  for (;; a++, b++) {
    unsigned char x = KeyChar(*a);
    unsigned char y = KeyChar(*b);
    if (x != y) return x < y ? -1 : 1;
    if (!x) return 0;
  }
}

bool SameStoredName(const char* a, const char* b) { return CompareStoredNames(a, b) == 0; }

unsigned StoredNameCodePage(const char* name, unsigned attribs, unsigned packageCodePage) {
  bool ascii = true;
  for (const char* p = name; *p; p++) ascii = ascii && (unsigned char)*p < 0x80;
  if (ascii) return 0;
  return (attribs & kCabAttribUtf8Name) ? kUtf8CodePage : packageCodePage;
}
