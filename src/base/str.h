// TStr: the program's text type. 8-bit ANSI text on the heap with a length;
// always zero-terminated so c_str() can go straight to the ANSI Win32 calls.
// Kept deliberately small: setup.exe links no C++ library code.
#pragma once
#include <stddef.h>

class TStr {
public:
  constexpr TStr() {}
  TStr(const char* s);
  TStr(const char* s, size_t n);
  TStr(const TStr& o);
  TStr(TStr&& o) noexcept;
  ~TStr();
  TStr& operator=(const TStr& o);
  TStr& operator=(TStr&& o) noexcept;
  TStr& operator=(const char* s);

  const char* c_str() const;
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  char operator[](size_t i) const { return data_[i]; }
  char back() const { return size_ ? data_[size_ - 1] : 0; }

  TStr& append(const char* s, size_t n);
  TStr& operator+=(const char* s);
  TStr& operator+=(const TStr& s);
  TStr& operator+=(char c) { return append(&c, 1); }
  void clear();
  void resize(size_t n);           // new bytes are zero
  char* buffer();  // writable, size() bytes
  void reserve(size_t n);

  TStr substr(size_t pos, size_t n = (size_t)-1) const;
  // Position of the last character that is one of `set`, or npos.
  size_t find_last_of(const char* set) const;
  size_t find(const char* s, size_t from = 0) const;
  static const size_t npos = (size_t)-1;

  bool operator==(const TStr& o) const;
  bool operator==(const char* s) const;
  bool operator!=(const TStr& o) const { return !(*this == o); }
  bool operator!=(const char* s) const { return !(*this == s); }

private:
  char* data_ = nullptr;
  size_t size_ = 0;
  size_t cap_ = 0;
};

TStr operator+(const TStr& a, const TStr& b);
TStr operator+(const TStr& a, const char* b);
TStr operator+(const char* a, const TStr& b);

// One piece of text for Concat: a C string or a TStr (read up to its first
// zero byte).
struct TStrPart {
  TStrPart(const char* s) : text(s) {}
  TStrPart(const TStr& s) : text(s.c_str()) {}
  const char* text;
};
// The pieces joined in order; null pieces are skipped. For three pieces or
// more this takes less code than a chain of operator+, which makes and
// destroys a temporary at every step.
TStr Concat(TStrPart a, TStrPart b, TStrPart c = nullptr, TStrPart d = nullptr,
            TStrPart e = nullptr, TStrPart f = nullptr, TStrPart g = nullptr,
            TStrPart h = nullptr);

// ASCII helpers used wherever names compare without regard to letter case.
char AsciiUpper(char c);
TStr UpperAscii(const TStr& s);
bool SameTextAscii(const char* a, const char* b);
// Removes leading and trailing characters with codes 0 to 32.
TStr TrimControl(const TStr& s);
// Decimal text of a signed number.
TStr IntToStr(long long v);
// Whole decimal number, or hexadecimal with a leading '$' or "0x"; surrounding
// blanks allowed. Returns false (and leaves *out 0) for anything else or overflow
// of 32 bits.
bool StrToInt32(const char* s, int* out);
// Text after the last '\' or ':' (the file name of a path), and the part up to
// and including it (the folder).
TStr FileNamePart(const TStr& path);
TStr FolderPart(const TStr& path);
// Folder with a trailing backslash (added unless already there; empty stays empty).
TStr WithBackslash(const TStr& folder);
// The path with every '/' written as '\': the system takes both, the install
// run, its checks and the uninstall log take the one form.
TStr WindowsSeparators(const TStr& path);

// A text for a multi-line edit field, which breaks lines only at CR LF: a
// lone LF (a text written on another system) becomes CR LF too.
TStr WithCrLf(const TStr& text);
