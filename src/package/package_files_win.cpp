// Package-level cabinet operations: each makes one reader on the package's
// cabinet, does one thing and frees it.
#include "base/process_state.h"
#include "package/cabinet_reader.h"
#include "script/setup_script.h"

static void PrepareReader(TCabinetReader& reader) {
  reader.CpuType = 0;
  reader.CabinetOffset = CabinetOffset;
  reader.Scrambled = 1;
}

TStr ReadPackageText(const TStr& name) {
  TCabinetReader reader;
  PrepareReader(reader);
  TStr text;
  if (reader.ExtractFiles(name, CabinetPath, 0, TStr()) && reader.MemoryResult()) {
    TMemoryStream* m = reader.MemoryResult();
    text = TStr(m->Data(), m->Size());
  }
  return text;
}

bool ExtractCabinetFile(const TStr& name, const TStr& folder) {
  TCabinetReader reader;
  PrepareReader(reader);
  return reader.ExtractFiles(name, CabinetPath, 0, folder);
}

long long MeasureSection(const TStr& section) {
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
  return total;
}
