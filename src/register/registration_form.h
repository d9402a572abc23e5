// The registration form as it goes over the wire, and the judgement of the
// endpoint's answer. Portable: the Windows flow and the native tests share it.
#pragma once
#include "base/str.h"

// One field value in form encoding. The space and the punctuation 0x20-0x2F
// and every byte from 0x80 up become "%XX" (upper-case hex); every other byte
// passes unchanged, so "=", "@" and "?" stay as they are while "&", "+" and
// "." are encoded.
TStr UrlEncodeValue(const TStr& value);

// "usr=<name>&org=<company>&eml=<e-mail>", each value encoded; a non-empty
// `query` goes in front, unencoded, joined with "&".
TStr RegistrationBody(const TStr& query, const TStr& name, const TStr& company, const TStr& email);

// The first line of an answer: the text before the first CR, or with no CR
// before the first LF. No line end at all, or a line end first, gives an
// empty line (an unterminated answer has no usable first line).
TStr AnswerFirstLine(const TStr& answer);

enum TAnswerKind { kAnswerInformation, kAnswerError, kAnswerNameExists };

// Classifies by the first line: it contains `errorMarker` (letter case
// counts) -> error; else it contains `nameExistsMarker` with both upper-cased
// by `upper` -> name exists; else information. An empty marker never matches.
TAnswerKind ClassifyAnswer(const TStr& firstLine, const TStr& errorMarker,
                           const TStr& nameExistsMarker, TStr (*upper)(const TStr&));

// Whether an e-mail address is plausible: something before the first "@",
// a "." after it, and at least two characters behind the last such dot.
bool IsValidEmail(const TStr& text);
