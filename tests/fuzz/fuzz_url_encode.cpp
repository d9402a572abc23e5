// Any value encodes to text that decodes back to it byte for byte, holds no
// byte that would split the form ("&", "+", space), and the answer rules take
// any answer without fault.
#include <cstdint>
#include <cstdlib>

#include "register/registration_form.h"

static int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  abort();  // only upper-case hex is ever written
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TStr value(reinterpret_cast<const char*>(data), size);
  TStr encoded = UrlEncodeValue(value);
  TStr decoded;
  for (size_t i = 0; i < encoded.size(); i++) {
    char c = encoded[i];
    if (c == '&' || c == '+' || c == ' ') abort();
    if (c == '%') {
      if (i + 2 >= encoded.size()) abort();
      decoded += char(HexValue(encoded[i + 1]) * 16 + HexValue(encoded[i + 2]));
      i += 2;
    } else {
      decoded += c;
    }
  }
  if (!(decoded == value)) abort();
  TStr line = AnswerFirstLine(value);
  if (line.size() >= value.size() && !value.empty()) abort();
  ClassifyAnswer(line, "Error", "exists", UpperAscii);
  IsValidEmail(value);
  return 0;
}
