#include <windows.h>

#include "package/version_info.h"

TVersionResource::TVersionResource(const TStr& programFile) {
  // A full path, so the loader never searches for the file by name.
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(programFile.c_str(), MAX_PATH, full, nullptr);
  if (programFile.empty() || n == 0 || n >= MAX_PATH) return;
  // As data only: the image is mapped for its resources, none of its code
  // runs and none of the libraries it imports is loaded.
  HMODULE module = LoadLibraryExA(full, nullptr, LOAD_LIBRARY_AS_DATAFILE);
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
  int need = WideCharToMultiByte(CP_ACP, 0, (const WCHAR*)w, (int)at.units, nullptr, 0, nullptr, nullptr);
  if (need <= 0) return TStr();
  TStr text;
  text.resize((size_t)need);
  WideCharToMultiByte(CP_ACP, 0, (const WCHAR*)w, (int)at.units, text.buffer(), need, nullptr, nullptr);
  return text;
}
