#include "package/version_info.h"

namespace {

// Every record of a version block: its length in bytes (itself included), the
// length of its value, its type (1: the value is text, counted in UTF-16
// units; 0: bytes), a zero-terminated UTF-16 key, padding to 4 bytes, the
// value, padding, then its child records, each starting on a 4-byte boundary.
struct TRecord {
  size_t begin, end;           // the whole record
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
  r->begin = at;
  r->end = at + length;
  r->keyAt = at + 6;
  size_t k = r->keyAt;
  while (k + 2 <= r->end && Word(b, k) != 0) k += 2;
  if (k + 2 > r->end) return false;  // a key must end inside its record
  r->keyUnits = (k - r->keyAt) / 2;
  size_t valueLength = Word(b, at + 2);
  size_t valueBytes = Word(b, at + 4) == 1 ? valueLength * 2 : valueLength;
  r->valueAt = Align4(k + 2);
  if (r->valueAt > r->end) r->valueAt = r->end;
  r->valueEnd = valueBytes > r->end - r->valueAt ? r->end : r->valueAt + valueBytes;
  r->childrenAt = Align4(r->valueEnd);
  return true;
}

char AsciiUpperOf(unsigned c) { return c >= 'a' && c <= 'z' ? char(c - 32) : char(c); }

bool KeyIs(const unsigned char* b, const TRecord& r, const char* name) {
  size_t i = 0;
  for (; name[i]; i++) {
    if (i == r.keyUnits) return false;
    unsigned unit = Word(b, r.keyAt + 2 * i);
    if (unit > 0x7F || AsciiUpperOf(unit) != AsciiUpperOf((unsigned char)name[i])) return false;
  }
  return i == r.keyUnits;
}

// The child of `parent` whose key is `name`.
bool FindChild(const unsigned char* b, const TRecord& parent, const char* name, TRecord* child) {
  for (size_t at = parent.childrenAt; at < parent.end;) {
    if (!ReadRecord(b, at, parent.end, child)) return false;
    if (KeyIs(b, *child, name)) return true;
    at = Align4(child->end);
  }
  return false;
}

}  // namespace

bool FindVersionText(const unsigned char* block, size_t size, const char* name, TVersionText* text) {
  if (!block || !name) return false;
  TRecord root, fileInfo, table, value;
  if (!ReadRecord(block, 0, size, &root) || !KeyIs(block, root, "VS_VERSION_INFO")) return false;
  if (!FindChild(block, root, "StringFileInfo", &fileInfo) ||
      !FindChild(block, fileInfo, "040904E4", &table) || !FindChild(block, table, name, &value))
    return false;
  size_t units = 0;
  while (value.valueAt + 2 * units + 2 <= value.valueEnd && Word(block, value.valueAt + 2 * units) != 0)
    units++;
  text->offset = value.valueAt;
  text->units = units;
  return true;
}
