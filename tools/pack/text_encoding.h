// The setup program shows its texts in a Windows code page; a publisher on
// Linux writes UTF-8. These find UTF-8 text and convert it.
#pragma once
#include <cstdint>
#include <vector>

#include "code_pages.h"

enum TTextEncoding {
  kTextAscii,  // nothing to convert
  kTextUtf8,   // a byte-order mark, or valid multi-byte sequences
  kTextOther,  // taken as already in the code page, passed on unchanged
};

TTextEncoding Text_Detect(const std::vector<uint8_t>& bytes);

struct TRefusedChar {
  int line;           // from 1
  uint32_t character; // the Unicode character the page cannot hold
};

// UTF-8 (a byte-order mark dropped) into `page`. Characters the page cannot
// hold are all listed in `refused`, in order;
// the result is then incomplete and must not be used.
void Text_Convert(const std::vector<uint8_t>& utf8, const TCodePage& page, std::vector<uint8_t>* out,
                  std::vector<TRefusedChar>* refused);
