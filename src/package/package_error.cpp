#include "package/package_error.h"

#include "uncab/fdi_types.h"

namespace {

const char* Reason(int oper) {
  switch (oper) {
    case kFdiCabinetNotFound: return "The cabinet file cannot be opened.";
    case kFdiNotACabinet: return "The file is not a cabinet.";
    case kFdiUnknownCabinetVersion: return "The cabinet's format version is not supported.";
    case kFdiCorruptCabinet: return "The cabinet is damaged.";
    case kFdiAllocFail: return "There is not enough memory.";
    case kFdiBadComprType: return "The cabinet uses an unknown compression type.";
    case kFdiMdiFail: return "The compressed data in the cabinet is damaged.";
    case kFdiTargetFile: return "A file could not be written.";
    case kFdiReserveMismatch: return "The cabinets of the set do not fit together.";
    case kFdiWrongCabinet: return "The next cabinet of the set is not the right one.";
    default: return "";
  }
}

TStr WithCodes(int oper, unsigned type, const TStr& detail) {
  TStr text = Concat("Cabinet error : ", IntToStr(oper), " ", IntToStr(type));
  const char* reason = Reason(oper);
  if (*reason || !detail.empty()) text += "\n\n";
  text += reason;
  if (*reason && !detail.empty()) text += "\n";
  text += detail;
  return text;
}

}  // namespace

TStr PackageErrorText(const TError& e) {
  switch (e.Code) {
    case kCabinetUnsafeName:
      return WithCodes(kFdiTargetFile, 0,
                       "The cabinet holds a file whose name would be written outside the target folder: " +
                           e.Subject);
    case kCabinetSetLoops:
      return WithCodes(kFdiWrongCabinet, 0, "The cabinet set leads back to a cabinet already read: " + e.Subject);
    case kCabinetBadNextName:
      return WithCodes(kFdiWrongCabinet, 0,
                       "The cabinet set names its next cabinet with a folder or drive; only a file beside this "
                       "cabinet may follow it: " + e.Subject);
    case kCabinetNoLibrary:
      return Concat("Setup cannot use its decompression library: it has no ", e.Subject,
                    ".\n\nThe package may be damaged.");
    case kCabinetNoContext:
      return "Setup cannot start its decompression library.\n\nThere may not be enough memory.";
    case kLibraryNotWritten:
    case kLibraryNotLoaded:
      return Concat("Setup cannot prepare its decompression library in the temporary folder:\n", e.Subject,
                    "\n\nThe disk may be full, or the package may be damaged.");
    case kFileChanged:
      return FileChangedText(e.Subject);
    default:
      if (e.Code == kFdiTargetFile && IsRefusedName(e.SystemError))
        return Concat("Cabinet error : ", IntToStr(e.Code), " ", IntToStr(e.SystemError),
                      "\n\nThe file name cannot be used here: ", e.Subject,
                      "\nThis Windows cannot use all of its characters (Windows 10 version 1903 and later can).");
      return WithCodes(e.Code, e.SystemError, e.Subject.empty() ? TStr() : "File: " + e.Subject);
  }
}
