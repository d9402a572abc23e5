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

// The program part of a package: `stub` with kestin (empty: the stub's size)
// and cabnam patched, then `library` padded to its slot. Fails with a reason
// when the library is too large or a value does not fit.
bool BuildProgramPart(const std::vector<uint8_t>& stub, const std::vector<uint8_t>& library,
                      const std::string& kestin, const std::string& cabnam,
                      std::vector<uint8_t>* program, std::string* error);

// package: the program file. With cabnam other than "self" the cabinet is not
// part of it; write `cabinetFile` (scrambled) under that name instead.
bool AssemblePackage(const TPackageParts& parts, std::vector<uint8_t>* package,
                     std::vector<uint8_t>* cabinetFile, std::string* error);
