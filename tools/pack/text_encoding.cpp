#include "text_encoding.h"

#include <string>

namespace {

bool HasBom(const std::vector<uint8_t>& b) {
  return b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF;
}

// Decodes one UTF-8 sequence at b[i]; 0 bytes when it is not valid (overlong
// forms, surrogates and values past U+10FFFF included).
size_t Decode(const std::vector<uint8_t>& b, size_t i, uint32_t* u) {
  uint8_t c = b[i];
  size_t n;
  uint32_t min;
  if (c < 0x80) { *u = c; return 1; }
  if ((c & 0xE0) == 0xC0) { n = 2; min = 0x80; *u = c & 0x1F; }
  else if ((c & 0xF0) == 0xE0) { n = 3; min = 0x800; *u = c & 0x0F; }
  else if ((c & 0xF8) == 0xF0) { n = 4; min = 0x10000; *u = c & 0x07; }
  else return 0;
  if (i + n > b.size()) return 0;
  for (size_t k = 1; k < n; k++) {
    if ((b[i + k] & 0xC0) != 0x80) return 0;
    *u = *u << 6 | (b[i + k] & 0x3F);
  }
  if (*u < min || *u > 0x10FFFF || (*u >= 0xD800 && *u <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

TTextEncoding Text_Detect(const std::vector<uint8_t>& b) {
  if (HasBom(b)) return kTextUtf8;
  bool multi = false;
  for (size_t i = 0; i < b.size();) {
    uint32_t u;
    size_t n = Decode(b, i, &u);
    if (!n) return kTextOther;
    multi = multi || n > 1;
    i += n;
  }
  return multi ? kTextUtf8 : kTextAscii;
}

void Text_Convert(const std::vector<uint8_t>& b, const TCodePage& page, std::vector<uint8_t>* out,
                  std::vector<TRefusedChar>* refused) {
  out->clear();
  refused->clear();
  std::string text;
  int line = 1;
  for (size_t i = HasBom(b) ? 3 : 0; i < b.size();) {
    uint32_t u;
    size_t n = Decode(b, i, &u);
    if (!n) {  // not reached for text Text_Detect called UTF-8
      n = 1;
      u = 0xFFFD;
    }
    i += n;
    if (u == '\n') line++;
    if (!page.Encode(u, &text)) refused->push_back({line, u});
  }
  out->assign(text.begin(), text.end());
}
