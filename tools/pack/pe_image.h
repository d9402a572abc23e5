// Just enough of the Windows program format to tell what a file is: a
// program or a library, for which machine, and which functions it exports.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

const uint16_t kPeMachineI386 = 0x014C;
const uint16_t kPeMachineAmd64 = 0x8664;

struct TPeFacts {
  uint16_t machine = 0;
  bool isLibrary = false;            // a DLL
  std::vector<std::string> exports;  // exported function names
};

// False, with the reason in plain words, when `image` is not a Windows
// program or library (or its export table is damaged).
bool Pe_Read(const std::vector<uint8_t>& image, TPeFacts* facts, std::string* why);

// "32-bit (i386)", "64-bit (x86-64)" or the machine number.
std::string Pe_MachineText(uint16_t machine);
