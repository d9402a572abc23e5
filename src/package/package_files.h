// What the rest of setup asks of its package: a text, a file, a measure. No
// cabinet or library type shows here; each call makes its own reader.
#pragma once
#include "base/error.h"
#include "base/str.h"
#include "package/package_layout.h"
#include "base/str_list.h"

// Package-level operations, each with one reader on the cabinet `package`
// places. Each fills *error (when given) with what failed; none shows
// anything.

// A text of the package (KESTIN\*.txt) read into memory and converted to the
// active code page from the package's own; empty when it is missing.
TStr ReadPackageText(const TPackagePlace& package, const TStr& name, TError* error = nullptr);
// The file's bytes as stored, telling whether it was there: false when it is
// missing or the copy failed.
bool ReadPackageFile(const TPackagePlace& package, const TStr& name, TStr* content, TError* error = nullptr);
// Extracts `name` (every file for an empty name) below `folder`. True only
// when the wanted file was found and written.
bool ExtractCabinetFile(const TPackagePlace& package, const TStr& name, const TStr& folder,
                        TError* error = nullptr);
// Sum of the sizes of the stored files `names` lists (a name listed twice
// counts once, as it is installed once).
long long MeasureFiles(const TPackagePlace& package, const TStrList& names, TError* error = nullptr);
