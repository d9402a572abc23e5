// What the package layer (the cabinet reader and the helper library) failed
// with, as a TError, and the words for it. The layer never shows a box: the
// top of the run does, with PackageErrorText.
#pragma once
#include "base/error.h"

// Codes of a cabinet TError. 1 to 10 are the library's own failure codes
// (the FDI error record's ErrOper, kFdiCabinetNotFound ... kFdiWrongCabinet);
// SystemError is the further code of the record, or the system error the
// file layer met; Subject is the file concerned, when one is. The codes below
// are the reader's own refusals.
enum TCabinetErrorCode {
  kCabinetUnsafeName = 20,   // a stored name would leave the target folder; Subject: the name
  kCabinetSetLoops = 21,     // the cabinet set leads back to a cabinet read before; Subject: its name
  kCabinetBadNextName = 22,  // a next cabinet named with a path, drive or ".."; Subject: the name
  kCabinetNoLibrary = 23,    // the helper library is missing or lacks an export; Subject: the export
  kCabinetNoContext = 24,    // FDICreate failed without filling the error record
  // The helper library's copy in the temporary folder; Subject: its path.
  kLibraryNotWritten = 30,   // could not be written (SystemError says why)
  kLibraryNotLoaded = 31,    // was written but will not load
  kFileChanged = 32,         // a file this run wrote was replaced or changed by another program
};

// The message for a package failure. Cabinet failures read "Cabinet error : "
// with the library's two codes, then a plain reason and the file or name
// concerned.
TStr PackageErrorText(const TError& error);
// The text of kFileChanged, on its own (file_changed_text.cpp) for the
// release's loader, which carries its words uncompressed and no others of
// this table.
TStr FileChangedText(const TStr& subject);
