// What the rest of setup asks of its package: a text, a file, a measure. No
// cabinet or library type shows here; each call makes its own reader.
#pragma once
#include "base/error.h"
#include "base/str.h"

// Package-level operations, each with one reader on the package cabinet.
// Each fills *error (when given) with what failed; none shows anything.

// A text of the package (KESTIN\*.txt) read into memory and converted to the
// active code page (TextCodePage); empty when it is missing.
TStr ReadPackageText(const TStr& name, TError* error = nullptr);
// The same, telling whether the file was there: false when it is missing or
// the copy failed.
bool ReadPackageFile(const TStr& name, TStr* content, TError* error = nullptr);
// Extracts `name` (every file for an empty name) below `folder`. True only
// when the wanted file was found and written.
bool ExtractCabinetFile(const TStr& name, const TStr& folder, TError* error = nullptr);
// Sum of the sizes of the files a setup-script section lists.
long long MeasureSection(const TStr& section, TError* error = nullptr);
