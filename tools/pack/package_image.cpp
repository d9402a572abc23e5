#include "package_image.h"

#include "package/scramble.h"
#include "stub_patch.h"

bool AssemblePackage(const TPackageParts& parts, std::vector<uint8_t>* package,
                     std::vector<uint8_t>* cabinetFile, std::string* error) {
  if (parts.library.size() > kLibrarySlot) {
    *error = "the helper library is " + std::to_string(parts.library.size()) +
             " bytes; the package has room for " + std::to_string(kLibrarySlot);
    return false;
  }
  std::vector<uint8_t> image = parts.stub;
  std::string kestin = parts.kestin.empty() ? std::to_string(image.size()) : parts.kestin;
  if (!PatchVersionValue(image, "kestin", kestin, error)) return false;
  if (!PatchVersionValue(image, "cabnam", parts.cabnam, error)) return false;

  std::vector<uint8_t> cab = parts.cabinet;
  if (parts.scramble) XorCabinetHead(cab.data(), cab.size());

  *package = image;
  package->insert(package->end(), parts.library.begin(), parts.library.end());
  package->resize(image.size() + kLibrarySlot, 0);
  cabinetFile->clear();
  if (parts.cabnam == "self")
    package->insert(package->end(), cab.begin(), cab.end());
  else
    *cabinetFile = cab;
  return true;
}
