// Package-level cabinet operations: each makes one reader on the package's
// cabinet, does one thing and frees it. What failed goes back to the caller.
#include "base/code_page_text.h"
#include "base/process_state.h"
#include "package/cabinet_reader.h"
#include "package/package_files.h"
#include "script/setup_script.h"

static void PrepareReader(TCabinetReader& reader) {
  reader.CpuType = 0;
  reader.CabinetOffset = CabinetOffset;
  reader.Scrambled = 1;
}

static void Report(const TCabinetReader& reader, TError* error) {
  if (error) *error = reader.Failure;
}

bool ReadPackageFile(const TStr& name, TStr* content, TError* error) {
  TCabinetReader reader;
  PrepareReader(reader);
  content->clear();
  bool found = reader.ExtractFiles(name, CabinetPath, 0, TStr()) && reader.FileFound && reader.MemoryResult();
  if (found) {
    TMemoryStream* m = reader.MemoryResult();
    *content = TStr(m->Data(), m->Size());
  }
  Report(reader, error);
  return found;
}

TStr ReadPackageText(const TStr& name, TError* error) {
  TStr text;
  ReadPackageFile(name, &text, error);
  return PackageTextToActive(text);
}

bool ExtractCabinetFile(const TStr& name, const TStr& folder, TError* error) {
  TCabinetReader reader;
  PrepareReader(reader);
  bool written = reader.ExtractFiles(name, CabinetPath, 0, folder) && reader.FileFound;
  Report(reader, error);
  return written;
}

long long MeasureSection(const TStr& section, TError* error) {
  if (error) error->Clear();
  if (section.empty() || !SetupScript) return 0;
  // Keys 1, 2, 3, ... up to the first empty value.
  int count = 0;
  while (!SetupScript->ReadString(section.c_str(), IntToStr(count + 1).c_str(), "").empty()) count++;
  if (count == 0) return 0;
  TStr* names = new TStr[count];
  for (int i = 0; i < count; i++) names[i] = SetupScript->ReadString(section.c_str(), IntToStr(i + 1).c_str(), "");
  TCabinetReader reader;
  PrepareReader(reader);
  long long total = reader.MeasureFiles(CabinetPath, names, count);
  delete[] names;
  Report(reader, error);
  return total;
}
