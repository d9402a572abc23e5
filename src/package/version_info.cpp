#include "package/version_info.h"

namespace {

// Every record of a version block: its length in bytes (itself included), the
// length of its value, its type (1: the value is text, counted in UTF-16
// units; 0: bytes), a zero-terminated UTF-16 key, padding to 4 bytes, the
// value, padding, then its child records, each starting on a 4-byte boundary.
struct TRecord {
  size_t end;                  // end of the whole record
  size_t keyAt, keyUnits;      // key without its zero
  size_t valueAt, valueEnd;    // value, cut to the record
  size_t childrenAt;           // first child record
};

unsigned Word(const unsigned char* b, size_t at) { return b[at] | (unsigned)b[at + 1] << 8; }
size_t Align4(size_t n) { return (n + 3) & ~(size_t)3; }

// Reads the record at `at` inside [.., limit). False when it does not fit.
bool ReadRecord(const unsigned char* b, size_t at, size_t limit, TRecord* r) {
  if (at > limit || limit - at < 6) return false;
  size_t length = Word(b, at);
  if (length < 6 || length > limit - at) return false;
  r->end = at + length;
  r->keyAt = at + 6;
  size_t k = r->keyAt;
  while (k + 2 <= r->end && Word(b, k) != 0) k += 2;
  if (k + 2 > r->end) return false;  // a key must end inside its record
  r->keyUnits = (k - r->keyAt) / 2;
  size_t valueLength = Word(b, at + 2);
  size_t valueBytes = Word(b, at + 4) == 1 ? valueLength * 2 : valueLength;
  r->valueAt = Align4(k + 2);
  // A value-less record may end before its padding; its (empty) value then
  // sits at the record's end, kept on a unit boundary even when a malformed
  // length is odd.
  if (r->valueAt > r->end) r->valueAt = r->end & ~(size_t)1;
  r->valueEnd = valueBytes > r->end - r->valueAt ? r->end : r->valueAt + valueBytes;
  r->childrenAt = Align4(r->valueEnd);
  return true;
}

bool KeyIs(const unsigned char* b, const TRecord& r, const char* name) {
  size_t i = 0;
  for (; name[i]; i++) {
    if (i == r.keyUnits) return false;
    unsigned unit = Word(b, r.keyAt + 2 * i);
    if (unit > 0x7F || AsciiUpper(char(unit)) != AsciiUpper(name[i])) return false;
  }
  return i == r.keyUnits;
}

}  // namespace

bool FindVersionText(const unsigned char* block, size_t size, const char* name, TVersionText* text) {
  if (!block || !name) return false;
  TRecord r;
  if (!ReadRecord(block, 0, size, &r)) return false;
  // Down from the root, one level per key: the child whose key matches.
  const char* const path[] = {"StringFileInfo", "040904E4", name};
  for (const char* key : path) {
    size_t at = r.childrenAt, end = r.end;
    for (;;) {
      if (at >= end || !ReadRecord(block, at, end, &r)) return false;
      if (KeyIs(block, r, key)) break;
      at = Align4(r.end);
    }
  }
  size_t units = 0;
  while (r.valueAt + 2 * units + 2 <= r.valueEnd && Word(block, r.valueAt + 2 * units) != 0) units++;
  text->offset = r.valueAt;
  text->units = units;
  return true;
}
