#include "package_build.h"

#include "input_check.h"
#include "package_image.h"
#include "source_check.h"
#include "name_rules.h"

namespace {

bool ReadAll(const std::string& path, const char* what, std::vector<uint8_t>* bytes,
             std::string* error) {
  TFile f;
  std::string why;
  uint64_t size = 0;
  if (!f.OpenRead(path, &why) || !f.Size(&size, &why) || !f.Seek(0, &why)) {
    *error = path + ": cannot read the " + what + " (" + why + "); check the name given";
    return false;
  }
  if (size > 64u << 20) {
    *error = path + ": is " + std::to_string(size) + " bytes, too large for a " + what +
             "; give the one that comes with kestin-pack";
    return false;
  }
  bytes->resize((size_t)size);
  if (f.Read(bytes->data(), bytes->size()) != bytes->size()) {
    *error = path + ": cannot read the " + what + " (" + (f.ok() ? "it changed while being read" : f.lastError()) +
             "); try again";
    return false;
  }
  return true;
}

// A temporary file that disappears unless kept.
class TPendingFile {
public:
  ~TPendingFile() { Discard(); }
  bool Create(const std::string& target, std::string* error) {
    target_ = target;
    std::string why;
    if (!Fs_CreateTemporary(Fs_FolderOf(target), &path_, &why)) {
      *error = target + ": cannot write there (" + why +
               "); check that the folder exists and is writable, or choose another with -o";
      return false;
    }
    Fs_RemoveOnInterrupt(path_);
    if (!file_.OpenWrite(path_, &why)) {
      *error = target + ": cannot write (" + why + "); check the folder's permissions or choose another with -o";
      return false;
    }
    return true;
  }
  TFile& file() { return file_; }
  const std::string& target() const { return target_; }
  bool Close(std::string* error) {
    std::string why;
    if (!file_.Close(&why)) {
      *error = "cannot write " + target_ + " (" + why + "); free some disk space or choose another folder with -o";
      return false;
    }
    return true;
  }
  bool Keep(std::string* error) {
    std::string why;
    if (!Fs_Replace(path_, target_, &why)) {
      *error = target_ + ": cannot replace it with the new package (" + why +
               "); close any program that has it open, or choose another name with -o";
      return false;
    }
    Fs_KeepOnInterrupt(path_);
    path_.clear();
    return true;
  }
  void Discard() {
    if (path_.empty()) return;
    std::string ignored;
    file_.Close(&ignored);
    Fs_Remove(path_);
    Fs_KeepOnInterrupt(path_);
    path_.clear();
  }

private:
  std::string target_, path_;
  TFile file_;
};

}  // namespace

std::string Package_CabFileNameProblem(const std::string& name) {
  if (name.empty()) return "the name is empty";
  // The setup program trims blanks and control characters from the value and
  // takes exactly "self" as "the cabinet is inside".
  if (name == "self") return "\"self\" means a cabinet inside the package";
  if ((unsigned char)name.front() <= ' ' || (unsigned char)name.back() <= ' ')
    return "blanks around the name would be lost";
  std::string invalid = Stored_InvalidComponentReason(name);
  if (!invalid.empty()) return "it must be a plain file name: " + invalid;
  return "";
}

bool Package_Build(const TBuildRequest& r, TBuildResult* result, TFindings* findings,
                   std::string* error) {
  *result = TBuildResult();
  bool separate = !r.cabFile.empty();
  if (separate) {
    std::string problem = Package_CabFileNameProblem(r.cabFile);
    if (!problem.empty()) {
      *error = "--cab-file " + r.cabFile + ": " + problem;
      return false;
    }
  }
  std::string problem = Input_OutputProblem(r.output, r.sourceFolder);
  if (!problem.empty()) {
    *error = r.output + ": " + problem;
    return false;
  }
  std::vector<uint8_t> stub, library, program;
  if (!ReadAll(r.stubPath, "setup program", &stub, error)) return false;
  uint16_t machine = 0;
  problem = Input_StubProblem(stub, &machine);
  if (!problem.empty()) {
    *error = r.stubPath + ": not a Kestin setup program: " + problem +
             "; give the setup.exe that comes with kestin-pack, or leave --stub out";
    return false;
  }
  if (!ReadAll(r.libraryPath, "helper library", &library, error)) return false;
  if (library.size() > kLibrarySlot) {
    *error = r.libraryPath + ": is " + std::to_string(library.size()) +
             " bytes; the package has room for " + std::to_string(kLibrarySlot) +
             "; give the uncab.dll that comes with kestin-pack";
    return false;
  }
  problem = Input_LibraryProblem(library, machine);
  if (!problem.empty()) {
    *error = r.libraryPath + ": cannot be the package's helper library: " + problem;
    return false;
  }
  std::string why;
  if (!BuildProgramPart(stub, library, "", separate ? r.cabFile : "self", &program, &why)) {
    *error = r.stubPath + ": " + why;
    return false;
  }

  std::string cabPath = separate ? Fs_FolderOf(r.output) + r.cabFile : "";
  // A package written into its own source folder must not swallow its
  // previous build.
  TCollectOptions collect;
  collect.excludes = r.excludes;
  collect.clampTimes = r.clampTimes;
  collect.clampTime = r.clampTime;
  TFileFacts facts;
  for (const std::string& p : {r.output, cabPath})
    if (!p.empty() && Fs_Exists(p) && Fs_Facts(p, &facts, &why)) collect.skip.push_back(facts.identity);
  TCheckedSource checked;
  bool clean = Source_Check(r.sourceFolder, collect, &checked, findings);
  if (!clean || (r.warningsAreErrors && findings->Count(kWarning))) {
    *error = "no package written: fix what is reported above" +
             std::string(clean ? " (warnings count as errors with --werror)" : "") +
             ", or run kestin-pack check " + r.sourceFolder + " to see it again";
    return false;
  }
  std::vector<TCabInput> inputs = checked.tree.files;
  for (auto& text : checked.converted) {
    inputs[text.first].content = &text.second;
    inputs[text.first].size = text.second.size();
  }

  TPendingFile package, cabinet;
  if (!package.Create(r.output, error)) return false;
  if (!package.file().Write(program.data(), program.size(), &why)) {
    *error = "cannot write " + r.output + " (" + why + "); free some disk space or choose another folder with -o";
    return false;
  }
  if (separate && !cabinet.Create(cabPath, error)) return false;

  TCabWriteOptions options;
  options.compress = !r.store;
  options.level = r.level;
  options.threads = r.threads;
  options.scramble = true;
  options.progress = r.progress;
  options.progressContext = r.progressContext;
  options.folderStoredBytes = &result->folderStored;
  TPendingFile& cabOut = separate ? cabinet : package;
  uint64_t cabStart = separate ? 0 : program.size();
  if (!Cab_Write(inputs, options, &cabOut.file(), cabOut.target(), cabStart, &result->cabinetBytes,
                 error))
    return false;
  if (!package.Close(error)) return false;
  if (separate && (!cabinet.Close(error) || !cabinet.Keep(error))) return false;
  if (!package.Keep(error)) return false;

  result->packed = inputs;
  result->folderOf = Cab_PlanFolders(inputs, options.sharedFolderBytes);
  result->folderInput.assign(result->folderStored.size(), 0);
  for (size_t i = 0; i < inputs.size(); i++)
    if (result->folderOf[i] < result->folderInput.size()) result->folderInput[result->folderOf[i]] += inputs[i].size;
  result->files = inputs.size();
  for (const TCabInput& in : inputs) result->inputBytes += in.size;
  result->packageBytes = program.size() + (separate ? 0 : result->cabinetBytes);
  return true;
}
