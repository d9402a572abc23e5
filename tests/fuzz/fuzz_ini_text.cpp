// The script reader over any bytes: the line walk ends, covers every line
// once, and every lookup agrees with the walk (a found value comes from an
// entry line of the name asked for, within the size limit).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "script/ini_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = (const char*)data;
  TIniText text(bytes, size);
  TIniLine l;
  int lines = 0;
  TStr firstSection, firstKey;
  while (text.Next(&l)) {
    if (l.Number != ++lines) abort();
    if (l.Kind == kIniSection && firstSection.empty()) firstSection = l.Name;
    if (l.Kind == kIniEntry && firstKey.empty() && !firstSection.empty()) firstKey = l.Name;
  }
  size_t newlines = 0;
  for (size_t i = 0; i < size; i++) newlines += data[i] == '\n';
  if (size_t(lines) > newlines + 1) abort();

  const char* asked[][2] = {{firstSection.c_str(), firstKey.c_str()},
                            {"General", "Caption"},
                            {"Options", "Option1_Text"}};
  for (auto& a : asked) {
    TStr value;
    int line = 0;
    if (!IniFind(bytes, size, a[0], a[1], &value, &line)) {
      if (line != 0 || !value.empty()) abort();
      continue;
    }
    if (value.size() > kIniValueMax || line < 1 || line > lines) abort();
    text.Rewind();
    while (text.Next(&l) && l.Number < line) {}
    if (l.Number != line || l.Kind != kIniEntry || !IniSameName(l.Name, a[1])) abort();
    TStr again = IniReadValue(l.RawValue);
    if (!(again == value)) abort();
  }
  return 0;
}
