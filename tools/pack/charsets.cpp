#include "charsets.h"

namespace {

const TCharSet kCharSets[] = {
    {0, 1252, "Western"},           {238, 1250, "Central European"},
    {204, 1251, "Cyrillic"},        {161, 1253, "Greek"},
    {162, 1254, "Turkish"},         {177, 1255, "Hebrew"},
    {178, 1256, "Arabic"},          {186, 1257, "Baltic"},
    {222, 874, "Thai"},             {128, 932, "Japanese"},
    {129, 949, "Korean"},           {134, 936, "Simplified Chinese"},
    {136, 950, "Traditional Chinese"},
    // Sets Windows has whose texts kestin-pack cannot convert to.
    {1, 0, "default"},              {2, 0, "Symbol"},
    {77, 0, "Macintosh"},           {130, 0, "Johab"},
    {163, 0, "Vietnamese"},         {255, 0, "OEM"},
};

}  // namespace

const TCharSet* CharSet_Find(int charSet) {
  for (const TCharSet& c : kCharSets)
    if (c.charSet == (charSet & 0xFF)) return &c;
  return nullptr;
}

std::string CharSet_KnownList() {
  std::string list;
  for (const TCharSet& c : kCharSets) {
    if (!c.codePage) continue;
    if (!list.empty()) list += ", ";
    list += std::to_string(c.charSet) + " (" + c.name + ")";
  }
  return list;
}
