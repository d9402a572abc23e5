#include "input_check.h"

#include <algorithm>

#include "pack_fs.h"
#include "pe_image.h"
#include "stub_patch.h"

std::string Input_StubProblem(const std::vector<uint8_t>& stub, uint16_t* machine) {
  TPeFacts pe;
  std::string why;
  if (!Pe_Read(stub, &pe, &why)) return why;
  if (pe.isLibrary) return "it is a library (DLL), not a program";
  std::string value;
  for (const char* key : {"kestin", "cabnam"})
    if (!ReadVersionValue(stub, key, &value))
      return std::string("it has no version value '") + key + "' for the package layout";
  *machine = pe.machine;
  return "";
}

std::string Input_LibraryProblem(const std::vector<uint8_t>& library, uint16_t stubMachine) {
  TPeFacts pe;
  std::string why;
  if (!Pe_Read(library, &pe, &why)) return why;
  if (!pe.isLibrary) return "it is a program, not a library (DLL)";
  std::string missing;
  for (const char* name : {"FDICreate", "FDICopy", "FDIDestroy", "FDIIsCabinet"})
    if (std::find(pe.exports.begin(), pe.exports.end(), name) == pe.exports.end())
      missing += std::string(missing.empty() ? "" : ", ") + name;
  if (!missing.empty()) return "it does not export " + missing + ", so it is not a cabinet library";
  if (pe.machine != stubMachine)
    return "it is a " + Pe_MachineText(pe.machine) + " library, but the setup program is " +
           Pe_MachineText(stubMachine) + "; give the uncab.dll built with that setup program";
  return "";
}

std::string Input_OutputProblem(const std::string& output, const std::string& sourceFolder) {
  if (Fs_IsWithin(sourceFolder, output))
    return "this is the source folder itself; write the package somewhere else";
  if (Fs_IsWithin(output, sourceFolder))
    return "this lies inside the source folder " + sourceFolder +
           ", so the next build would pack the package into itself; write it somewhere else";
  return "";
}
