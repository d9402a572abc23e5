// Package-level cabinet operations: each makes one reader on the package's
// cabinet, does one thing and frees it. What failed goes back to the caller.
#include "base/code_page_text.h"
#include "package/cabinet_reader.h"
#include "package/package_files.h"

static void PrepareReader(TCabinetReader& reader, const TPackagePlace& package) {
  reader.CpuType = 0;
  reader.CabinetOffset = package.cabinetOffset;
  reader.TextCodePage = package.textCodePage;
  reader.Scrambled = 1;
}

static void Report(const TCabinetReader& reader, TError* error) {
  if (error) *error = reader.Failure;
}

bool ReadPackageFile(const TPackagePlace& package, const TStr& name, TStr* content, TError* error) {
  TCabinetReader reader;
  PrepareReader(reader, package);
  content->clear();
  bool found = reader.ExtractFiles(name, package.cabinetPath, 0, TStr()) && reader.FileFound && reader.MemoryResult();
  if (found) {
    TMemoryStream* m = reader.MemoryResult();
    *content = TStr(m->Data(), m->Size());
  }
  Report(reader, error);
  return found;
}

TStr ReadPackageText(const TPackagePlace& package, const TStr& name, TError* error) {
  TStr text;
  ReadPackageFile(package, name, &text, error);
  return PackageTextToActive(text, package.textCodePage);
}

bool ExtractCabinetFile(const TPackagePlace& package, const TStr& name, const TStr& folder, TError* error) {
  TCabinetReader reader;
  PrepareReader(reader, package);
  bool written = reader.ExtractFiles(name, package.cabinetPath, 0, folder) && reader.FileFound;
  Report(reader, error);
  return written;
}

long long MeasureFiles(const TPackagePlace& package, const TStrList& names, TError* error) {
  if (error) error->Clear();
  if (names.Count() == 0) return 0;
  TCabinetReader reader;
  PrepareReader(reader, package);
  long long total = reader.MeasureFiles(package.cabinetPath, &names[0], names.Count());
  Report(reader, error);
  return total;
}
