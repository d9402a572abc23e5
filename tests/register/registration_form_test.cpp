#include <doctest/doctest.h>

#include "register/registration_form.h"

TEST_CASE("form encoding: which bytes are escaped") {
  CHECK(UrlEncodeValue("") == "");
  CHECK(UrlEncodeValue("Jane Doe") == "Jane%20Doe");
  CHECK(UrlEncodeValue("a&b+c.d/e!f") == "a%26b%2Bc%2Ed%2Fe%21f");
  // The punctuation from 0x3A up passes, so "=" and "?" stay in a value.
  CHECK(UrlEncodeValue("k=v?x@y:[]_{}~") == "k=v?x@y:[]_{}~");
  CHECK(UrlEncodeValue("M\xE4rz\xFF\x80") == "M%E4rz%FF%80");
  CHECK(UrlEncodeValue(TStr("\x01\x1F\x7F", 3)) == TStr("\x01\x1F\x7F", 3));
}

TEST_CASE("form body: field order, encoding, publisher's query in front") {
  CHECK(RegistrationBody("", "Jane Doe", "A&B", "jane@example.com") ==
        "usr=Jane%20Doe&org=A%26B&eml=jane@example%2Ecom");
  CHECK(RegistrationBody("prod=kestin&v=2", "x", "", "") == "prod=kestin&v=2&usr=x&org=&eml=");
}

TEST_CASE("answer first line: CR first, then LF, unterminated gives nothing") {
  CHECK(AnswerFirstLine("OK\r\nmore") == "OK");
  CHECK(AnswerFirstLine("OK\nmore\r\n") == "OK\nmore");
  CHECK(AnswerFirstLine("only\nline") == "only");
  CHECK(AnswerFirstLine("\r\nsecond") == "");
  CHECK(AnswerFirstLine("no line end") == "");
  CHECK(AnswerFirstLine("") == "");
  CHECK(AnswerFirstLine(TStr("a\0b\r\n", 5)) == TStr("a\0b", 3));
}

TEST_CASE("answer markers: error is case-sensitive, name-exists is not, empty never matches") {
  CHECK(ClassifyAnswer("Error: bad", "Error", "exists", UpperAscii) == kAnswerError);
  CHECK(ClassifyAnswer("ERROR: bad", "Error", "exists", UpperAscii) == kAnswerInformation);
  CHECK(ClassifyAnswer("Name EXISTS already", "Error", "exists", UpperAscii) == kAnswerNameExists);
  CHECK(ClassifyAnswer("Error: name exists", "Error", "exists", UpperAscii) == kAnswerError);
  CHECK(ClassifyAnswer("anything", "", "", UpperAscii) == kAnswerInformation);
  CHECK(ClassifyAnswer("", "", "", UpperAscii) == kAnswerInformation);
}

TEST_CASE("e-mail check") {
  CHECK(IsValidEmail("jane@example.com"));
  CHECK(IsValidEmail("jane@example.de"));
  CHECK(IsValidEmail("jane@example.info"));
  CHECK(IsValidEmail("jane@mail.example.museum"));
  CHECK(IsValidEmail("a@.de"));
  CHECK_FALSE(IsValidEmail(""));
  CHECK_FALSE(IsValidEmail("@example.com"));
  CHECK_FALSE(IsValidEmail("jane.doe@example"));
  CHECK_FALSE(IsValidEmail("jane@example.c"));
  CHECK_FALSE(IsValidEmail("jane@example."));
  CHECK_FALSE(IsValidEmail("jane.example.com"));
}
