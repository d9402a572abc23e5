// Rewrites the setup program's version values in place.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Finds the string value `key` in the image's version resource and replaces
// its text by `value`, blank-padded to the placeholder's length, so nothing
// else in the image moves. Fails (with a reason) when the key is missing, found
// more than once, or the value is longer than the placeholder.
bool PatchVersionValue(std::vector<uint8_t>& image, const std::string& key,
                       const std::string& value, std::string* error);

// The text currently stored under `key`, blanks included; false when missing.
bool ReadVersionValue(const std::vector<uint8_t>& image, const std::string& key,
                      std::string* value);

// The same for the first record of `key` in `bytes`, which may run on past
// the program image (a package's head): the program's own version resource
// comes before anything its cabinet carries.
bool ReadFirstVersionValue(const std::vector<uint8_t>& bytes, const std::string& key,
                           std::string* value);
