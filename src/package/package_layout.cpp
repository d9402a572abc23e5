#include "package/package_layout.h"

namespace {

// A path that names its own starting point: a drive ("C:"), a root ("\\x")
// or a share ("\\\\server"). Anything else is relative.
bool IsAnchoredPath(const TStr& path) {
  if (path.empty()) return false;
  if (path[0] == '\\' || path[0] == '/') return true;
  return path.size() >= 2 && path[1] == ':';
}

}  // namespace

TPackagePlace PlacePackage(const TStr& programPath, const TStr& cabnam, const TStr& kestin) {
  TPackagePlace place;
  place.cabinetPath = TrimControl(cabnam);
  place.cabinetOffset = 0;
  if (place.cabinetPath == "self") {
    int imageSize = 0;
    if (!StrToInt32(TrimControl(kestin).c_str(), &imageSize)) imageSize = 0;
    // A negative or absurd image size cannot place anything inside the file;
    // treat it as no number, like any other text that is not a size.
    if (imageSize < 0 || imageSize > 0x7FFFFFFF - kHelperLibrarySlot) imageSize = 0;
    place.cabinetOffset = imageSize + kHelperLibrarySlot;
    place.cabinetPath = programPath;
  } else if (!place.cabinetPath.empty() && !IsAnchoredPath(place.cabinetPath)) {
    // Relative to the package's own folder, not to wherever it was started
    // from: a "data.cab" planted in the current folder must not be read
    // instead of the one shipped beside the package.
    place.cabinetPath = FolderPart(programPath) + place.cabinetPath;
  }
  return place;
}

long long HelperLibraryStart(int cabinetOffset, long long programFileSize) {
  long long start = cabinetOffset ? cabinetOffset : programFileSize;
  return start - kHelperLibrarySlot;
}
