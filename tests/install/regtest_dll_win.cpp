// A self-registering test library: registering writes
// HKEY_CURRENT_USER\Software\KestinRegTest\<its file name>, unregistering
// removes it. A file named "*fail*" refuses to register.
#include <windows.h>
#include <string.h>

static HMODULE g_self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_self = instance;
  return TRUE;
}

static void KeyName(char* out, DWORD size) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(g_self, path, MAX_PATH);
  const char* name = path;
  for (DWORD i = 0; i < n; ++i)
    if (path[i] == '\\') name = path + i + 1;
  lstrcpynA(out, "Software\\KestinRegTest\\", size);
  lstrcatA(out, name);
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
  char key[MAX_PATH + 32];
  KeyName(key, sizeof key);
  CharLowerA(key);
  if (lstrlenA(key) && strstr(key, "fail")) return E_FAIL;
  HKEY k;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr)) return E_FAIL;
  RegCloseKey(k);
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
  char key[MAX_PATH + 32];
  KeyName(key, sizeof key);
  CharLowerA(key);
  RegDeleteKeyA(HKEY_CURRENT_USER, key);
  return S_OK;
}
