// What `build` makes sure of before it writes anything: the setup program and
// the library it packs are the right kind of file for each other, and the
// package goes somewhere it cannot pack itself into.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Why `stub` is not a Kestin setup program, or "" (then *machine is its
// machine type).
std::string Input_StubProblem(const std::vector<uint8_t>& stub, uint16_t* machine);

// Why `library` cannot be the package's helper library for a setup program
// of machine `stubMachine`, or "".
std::string Input_LibraryProblem(const std::vector<uint8_t>& library, uint16_t stubMachine);

// Why the package may not be written to `output` for `sourceFolder` (the
// source folder itself, or inside it), or "".
std::string Input_OutputProblem(const std::string& output, const std::string& sourceFolder);
