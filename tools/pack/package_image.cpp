#include "package_image.h"

#include "package/scramble.h"
#include "stub_patch.h"

bool BuildProgramPart(const std::vector<uint8_t>& stub, const std::vector<uint8_t>& library,
                      const std::string& kestin, const std::string& cabnam,
                      std::vector<uint8_t>* program, std::string* error) {
  if (library.size() > kLibrarySlot) {
    *error = "the helper library is " + std::to_string(library.size()) +
             " bytes; the package has room for " + std::to_string(kLibrarySlot);
    return false;
  }
  std::vector<uint8_t> image = stub;
  if (!PatchVersionValue(image, "kestin", kestin.empty() ? std::to_string(image.size()) : kestin, error))
    return false;
  if (!PatchVersionValue(image, "cabnam", cabnam, error)) return false;
  *program = image;
  program->insert(program->end(), library.begin(), library.end());
  program->resize(image.size() + kLibrarySlot, 0);
  return true;
}

bool AssemblePackage(const TPackageParts& parts, std::vector<uint8_t>* package,
                     std::vector<uint8_t>* cabinetFile, std::string* error) {
  if (!BuildProgramPart(parts.stub, parts.library, parts.kestin, parts.cabnam, package, error))
    return false;
  std::vector<uint8_t> cab = parts.cabinet;
  if (parts.scramble) XorCabinetHead(cab.data(), cab.size());
  cabinetFile->clear();
  if (parts.cabnam == "self")
    package->insert(package->end(), cab.begin(), cab.end());
  else
    *cabinetFile = cab;
  return true;
}
