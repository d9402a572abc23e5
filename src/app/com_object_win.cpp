#include <windows.h>
#include <objbase.h>

#include "app/com_object.h"

void* CreateComObject(const void* classId, TError* error) {
  IUnknown* unknown = nullptr;
  HRESULT hr = CoCreateInstance(*(const CLSID*)classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IUnknown, (void**)&unknown);
  if (SUCCEEDED(hr) && unknown) return unknown;
  error->Set(kErrorShell, kComObjectFailed, (unsigned)hr, TStr());
  return nullptr;
}
