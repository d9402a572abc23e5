#include "register/registration_form.h"

TStr UrlEncodeValue(const TStr& value) {
  static const char kHex[] = "0123456789ABCDEF";
  TStr out;
  out.reserve(value.size() * 3);
  for (size_t i = 0; i < value.size(); i++) {
    unsigned char c = (unsigned char)value[i];
    if ((c >= 0x20 && c <= 0x2F) || c >= 0x80) {
      char e[3] = {'%', kHex[c >> 4], kHex[c & 15]};
      out.append(e, 3);
    } else {
      out += (char)c;
    }
  }
  return out;
}

TStr RegistrationBody(const TStr& query, const TStr& name, const TStr& company, const TStr& email) {
  TStr body = Concat("usr=", UrlEncodeValue(name), "&org=", UrlEncodeValue(company), "&eml=",
                     UrlEncodeValue(email));
  return query.empty() ? body : Concat(query, "&", body);
}

TStr AnswerFirstLine(const TStr& answer) {
  size_t end = answer.find("\r");
  if (end == TStr::npos) end = answer.find("\n");
  if (end == TStr::npos) return TStr();
  return answer.substr(0, end);
}

namespace {

bool Contains(const TStr& text, const TStr& marker) {
  return !marker.empty() && text.find(marker.c_str()) != TStr::npos;
}

}  // namespace

TAnswerKind ClassifyAnswer(const TStr& firstLine, const TStr& errorMarker,
                           const TStr& nameExistsMarker, TStr (*upper)(const TStr&)) {
  if (Contains(firstLine, errorMarker)) return kAnswerError;
  if (!nameExistsMarker.empty() && Contains(upper(firstLine), upper(nameExistsMarker)))
    return kAnswerNameExists;
  return kAnswerInformation;
}

bool IsValidEmail(const TStr& text) {
  size_t at = text.find("@");
  // An address needs a mailbox name before the "@".
  if (at == TStr::npos || at == 0) return false;
  size_t dot = TStr::npos;
  for (size_t i = text.size(); i > at + 1; i--)
    if (text[i - 1] == '.') {
      dot = i - 1;
      break;
    }
  // Domain endings such as "info" or "museum" are real: two characters or more.
  return dot != TStr::npos && text.size() - dot - 1 >= 2;
}
