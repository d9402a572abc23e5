// Puts a package together from its pieces.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

const size_t kLibrarySlot = 30720;

struct TPackageParts {
  std::vector<uint8_t> stub;     // the setup program as built
  std::vector<uint8_t> library;  // uncab.dll, at most kLibrarySlot bytes
  std::vector<uint8_t> cabinet;  // the plain cabinet
  std::string cabnam = "self";   // "self", or the name of a separate cabinet file
  // Value written as kestin; empty means the stub's real size.
  std::string kestin;
  bool scramble = true;
};

// package: the program file. With cabnam other than "self" the cabinet is not
// part of it; write `cabinetFile` (scrambled) under that name instead.
bool AssemblePackage(const TPackageParts& parts, std::vector<uint8_t>* package,
                     std::vector<uint8_t>* cabinetFile, std::string* error);
