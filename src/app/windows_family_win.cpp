#include <windows.h>

#include "app/windows_family.h"
#include "base/process_state.h"

void DetectWindowsNT() {
  OSVERSIONINFOA info;
  ZeroMemory(&info, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
  WindowsNT = GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT ? 1 : 0;
}
