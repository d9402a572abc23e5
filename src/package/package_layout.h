// Byte layout of a package: program image, then the helper library in a slot
// of fixed size, then the cabinet (or the cabinet in a file of its own).
#pragma once
#include "base/str.h"

const int kHelperLibrarySlot = 30720;

// What the two version values say, turned into where the cabinet is, and
// the code page the package's texts are written in.
struct TPackagePlace {
  TStr cabinetPath;       // empty when it cannot be determined
  int cabinetOffset = 0;  // 0 when the cabinet is a file of its own
  // The code page of the package's texts and of stored names not marked as
  // UTF-8 (script/script_code_page.h), settled once the setup script is
  // read; they are converted from it as they are read. 0: nothing is.
  unsigned textCodePage = 0;
};

// programPath: the running program's file; cabnam and kestin: the raw version
// values (blanks and control characters around them do not count). A
// relative cabinet path is taken from the program file's folder.
TPackagePlace PlacePackage(const TStr& programPath, const TStr& cabnam, const TStr& kestin);

// Where the helper library starts in the program file: just before the cabinet
// when the cabinet is inside, else the last slot of the file. Negative when the
// file is too short to hold a library.
long long HelperLibraryStart(int cabinetOffset, long long programFileSize);
