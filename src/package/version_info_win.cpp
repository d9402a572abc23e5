#include <windows.h>

#include "package/version_info.h"

TVersionResource::TVersionResource(const TStr& programFile) {
  // A name without a folder would be searched for along the library path;
  // only a file named by its path is read.
  if (programFile.find("\\") == TStr::npos) return;
  // As data only: the image is mapped for its resources, none of its code
  // runs and none of the libraries it imports is loaded.
  HMODULE module = LoadLibraryExA(programFile.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return;
  module_ = module;
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16));
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return;
  block_ = (const unsigned char*)data;
  size_ = SizeofResource(module, found);
}

TVersionResource::~TVersionResource() {
  if (module_) FreeLibrary((HMODULE)module_);
}

TStr ReadVersionString(const TVersionResource& resource, const char* name) {
  TVersionText at;
  if (!resource.Found() || !FindVersionText(resource.Block(), resource.Size(), name, &at) ||
      at.units == 0)
    return TStr();
  // Values start on a 4-byte boundary of the block, and the resource itself
  // is aligned, so the text can be read in place.
  const WCHAR* w = (const WCHAR*)(resource.Block() + at.offset);
  // At most two bytes per character in any ANSI code page.
  TStr text;
  text.resize(at.units * 2);
  int n = WideCharToMultiByte(CP_ACP, 0, w, (int)at.units, text.buffer(), (int)at.units * 2, nullptr,
                              nullptr);
  text.resize(n > 0 ? (size_t)n : 0);
  return text;
}
