#include "package/package_layout.h"

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
  }
  return place;
}

long long HelperLibraryStart(int cabinetOffset, long long programFileSize) {
  long long start = cabinetOffset ? cabinetOffset : programFileSize;
  return start - kHelperLibrarySlot;
}
