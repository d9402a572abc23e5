// The program's own version values (`kestin`, `cabnam`), read straight from
// the version resource of the package file. The system's version library is
// deliberately not used: it is not one of the libraries the system always
// takes from its own folder, so importing it would let a file of that name
// beside the package (a Downloads folder) run before our first instruction.
#pragma once
#include <stddef.h>

#include "base/str.h"

// Where one text value lies in a version-information block: `units` UTF-16
// (little-endian) units from byte `offset`, without the terminating zero.
struct TVersionText {
  size_t offset;
  size_t units;
};

// Looks up "\StringFileInfo\040904E4\" + name in `block`, a version resource
// as a program file stores it (the UTF-16 form). Keys compare without regard
// to ASCII letter case. The value is cut at its first zero unit and never
// runs past its own record. Returns false when the value is missing or the
// records on the way to it are malformed; never reads outside `block`.
bool FindVersionText(const unsigned char* block, size_t size, const char* name, TVersionText* text);

// The version resource of a program file, mapped as data: the file is never
// run and no library it names is loaded.
class TVersionResource {
public:
  explicit TVersionResource(const TStr& programFile);
  ~TVersionResource();
  TVersionResource(const TVersionResource&) = delete;
  TVersionResource& operator=(const TVersionResource&) = delete;

  // False when the file cannot be read or has no version resource.
  bool Found() const { return block_ != nullptr; }
  const unsigned char* Block() const { return block_; }
  size_t Size() const { return size_; }

private:
  void* module_ = nullptr;
  const unsigned char* block_ = nullptr;
  size_t size_ = 0;
};

// The text of one value of the table "\StringFileInfo\040904E4\" in the
// system's ANSI code page; empty when it is missing.
TStr ReadVersionString(const TVersionResource& resource, const char* name);
