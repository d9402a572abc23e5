#include "base/str.h"

#include <stdlib.h>
#include <string.h>

TStr::TStr(const char* s) { if (s) append(s, strlen(s)); }
TStr::TStr(const char* s, size_t n) { append(s, n); }
TStr::TStr(const TStr& o) { append(o.c_str(), o.size_); }
TStr::TStr(TStr&& o) noexcept : data_(o.data_), size_(o.size_), cap_(o.cap_) {
  o.data_ = nullptr; o.size_ = o.cap_ = 0;
}
TStr::~TStr() { free(data_); }
const char* TStr::c_str() const { return data_ ? data_ : ""; }

TStr& TStr::operator=(const TStr& o) {
  if (this != &o) { size_ = 0; append(o.c_str(), o.size_); }
  return *this;
}
TStr& TStr::operator=(TStr&& o) noexcept {
  if (this != &o) {
    free(data_);
    data_ = o.data_; size_ = o.size_; cap_ = o.cap_;
    o.data_ = nullptr; o.size_ = o.cap_ = 0;
  }
  return *this;
}
TStr& TStr::operator=(const char* s) {
  TStr t(s);
  return *this = static_cast<TStr&&>(t);
}

void TStr::reserve(size_t n) {
  if (n < cap_ && data_) return;
  size_t c = cap_ ? cap_ : 16;
  while (c <= n) c *= 2;
  char* p = static_cast<char*>(realloc(data_, c));
  if (!p) abort();  // out of memory: nothing sensible is left to do
  data_ = p; cap_ = c;
  data_[size_] = 0;
}

TStr& TStr::append(const char* s, size_t n) {
  if (n == 0 && data_) return *this;
  reserve(size_ + n);
  memmove(data_ + size_, s, n);
  size_ += n;
  data_[size_] = 0;
  return *this;
}
TStr& TStr::operator+=(const char* s) { return append(s, strlen(s)); }
TStr& TStr::operator+=(const TStr& s) { return append(s.c_str(), s.size_); }
char* TStr::buffer() { reserve(size_); return data_; }
void TStr::clear() { size_ = 0; if (data_) data_[0] = 0; }
void TStr::resize(size_t n) {
  reserve(n);
  if (n > size_) memset(data_ + size_, 0, n - size_);
  size_ = n;
  data_[n] = 0;
}

TStr TStr::substr(size_t pos, size_t n) const {
  if (pos >= size_) return TStr();
  if (n > size_ - pos) n = size_ - pos;
  return TStr(data_ + pos, n);
}
size_t TStr::find_last_of(const char* set) const {
  for (size_t i = size_; i-- > 0;)
    if (strchr(set, data_[i])) return i;
  return npos;
}
size_t TStr::find(const char* s, size_t from) const {
  size_t n = strlen(s);
  if (n > size_) return npos;
  for (size_t i = from; i + n <= size_; i++)
    if (memcmp(data_ + i, s, n) == 0) return i;
  return npos;
}
bool TStr::operator==(const TStr& o) const {
  return size_ == o.size_ && memcmp(c_str(), o.c_str(), size_) == 0;
}
bool TStr::operator==(const char* s) const {
  // Up to the first zero byte, as a C string compares; a loop of our own
  // keeps one more library function out of the program's imports.
  const char* a = c_str();
  while (*a && *a == *s) a++, s++;
  return *a == *s;
}

TStr operator+(const TStr& a, const TStr& b) { TStr r(a); r += b; return r; }
TStr operator+(const TStr& a, const char* b) { TStr r(a); r += b; return r; }
TStr operator+(const char* a, const TStr& b) { TStr r(a); r += b; return r; }
TStr Concat(TStrPart a, TStrPart b, TStrPart c, TStrPart d, TStrPart e, TStrPart f, TStrPart g,
            TStrPart h) {
  const char* parts[] = {a.text, b.text, c.text, d.text, e.text, f.text, g.text, h.text};
  TStr r;
  for (const char* p : parts)
    if (p) r += p;
  return r;
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }
TStr UpperAscii(const TStr& s) {
  TStr r(s);
  char* p = r.buffer();
  for (size_t i = 0; i < r.size(); i++) p[i] = AsciiUpper(p[i]);
  return r;
}
bool SameTextAscii(const char* a, const char* b) {
  for (;; a++, b++) {
    if (AsciiUpper(*a) != AsciiUpper(*b)) return false;
    if (!*a) return true;
  }
}
TStr TrimControl(const TStr& s) {
  size_t b = 0, e = s.size();
  while (b < e && (unsigned char)s[b] <= 32) b++;
  while (e > b && (unsigned char)s[e - 1] <= 32) e--;
  return s.substr(b, e - b);
}
// Divides *v by 10 and returns the remainder, with 32-bit divisions only: a
// 64-bit division would link the compiler's run-time division routines into
// the 32-bit program. Each step divides a value below 10 * 2^16.
static unsigned DivideBy10(unsigned long long* v) {
  unsigned high = (unsigned)(*v >> 32), low = (unsigned)*v;
  unsigned q1 = high / 10, r = high % 10;
  unsigned part = (r << 16) | (low >> 16);
  unsigned q2 = part / 10;
  part = ((part % 10) << 16) | (low & 0xFFFF);
  unsigned q3 = part / 10;
  *v = ((unsigned long long)q1 << 32) | (q2 << 16) | q3;
  return part % 10;
}
TStr IntToStr(long long v) {
  char buf[24];
  char* p = buf + sizeof buf;
  *--p = 0;
  unsigned long long u = v < 0 ? 0ull - (unsigned long long)v : (unsigned long long)v;
  do { *--p = char('0' + DivideBy10(&u)); } while (u);
  if (v < 0) *--p = '-';
  return TStr(p);
}
bool StrToInt32(const char* s, int* out) {
  *out = 0;
  while (*s == ' ' || *s == '\t') s++;
  bool neg = false;
  if (*s == '-' || *s == '+') { neg = *s == '-'; s++; }
  unsigned base = 10;
  if (*s == '$') { base = 16; s++; }
  else if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) { base = 16; s += 2; }
  // Hexadecimal may use all 32 bits (colours such as $80000005 are negative).
  // The limit is checked before each step, so 32-bit arithmetic suffices.
  const unsigned limit = base == 16 ? 0xFFFFFFFFu : 0x80000000u;
  unsigned v = 0;
  int digits = 0;
  for (;; s++, digits++) {
    unsigned d;
    char c = *s;
    if (c >= '0' && c <= '9') d = unsigned(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') d = unsigned(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F') d = unsigned(c - 'A' + 10);
    else break;
    if (v > (limit - d) / base) return false;
    v = v * base + d;
  }
  while (*s == ' ' || *s == '\t') s++;
  if (!digits || *s) return false;
  if (base == 10 && !neg && v > 0x7FFFFFFFu) return false;
  *out = (int)(neg ? 0u - v : v);
  return true;
}
TStr FileNamePart(const TStr& path) {
  size_t p = path.find_last_of("\\:");
  return p == TStr::npos ? path : path.substr(p + 1);
}
TStr FolderPart(const TStr& path) {
  size_t p = path.find_last_of("\\:");
  return p == TStr::npos ? TStr() : path.substr(0, p + 1);
}
TStr WindowsSeparators(const TStr& path) {
  TStr out = path;
  char* p = out.buffer();
  for (size_t i = 0; i < out.size(); i++)
    if (p[i] == '/') p[i] = '\\';
  return out;
}

TStr WithBackslash(const TStr& folder) {
  if (folder.empty() || folder.back() == '\\') return folder;
  return folder + "\\";
}

TStr WithCrLf(const TStr& text) {
  TStr out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); i++) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}
