#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "base/shell_folders.h"
#include "uninstall/undo_steps.h"

void AddShortcutRoots(TFolderSet& roots, TStr* programsFolder) {
  // The installer writes to the current user's folders; the all-users ones
  // are accepted too, for an uninstall run by another user of the machine.
  static const unsigned char kRoots[] = {CSIDL_DESKTOPDIRECTORY, CSIDL_PROGRAMS,
                                         CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_PROGRAMS};
  for (unsigned char csidl : kRoots) roots.Add(GetSpecialFolder(csidl));
  *programsFolder = GetSpecialFolder(CSIDL_PROGRAMS);
}

void AddWellKnownFolders(TFolderSet& keep) {
  static const unsigned char kFolders[] = {
      CSIDL_DESKTOP, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PROGRAMS,
      CSIDL_COMMON_PROGRAMS, CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU, CSIDL_STARTUP,
      CSIDL_COMMON_STARTUP, CSIDL_PERSONAL, CSIDL_COMMON_DOCUMENTS, CSIDL_APPDATA,
      CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_PROFILE, CSIDL_PROGRAM_FILES,
      CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86,
      CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_FONTS, CSIDL_FAVORITES, CSIDL_RECENT,
      CSIDL_SENDTO, CSIDL_TEMPLATES, CSIDL_COMMON_TEMPLATES, CSIDL_MYMUSIC, CSIDL_MYPICTURES,
      CSIDL_MYVIDEO, CSIDL_ADMINTOOLS, CSIDL_COMMON_ADMINTOOLS, CSIDL_INTERNET_CACHE,
      CSIDL_COOKIES, CSIDL_HISTORY, CSIDL_NETHOOD, CSIDL_PRINTHOOD};
  for (unsigned char csidl : kFolders) keep.Add(GetSpecialFolder(csidl));
  // The folder that holds every user's profile.
  TStr profile = GetSpecialFolder(CSIDL_PROFILE);
  size_t cut = profile.find_last_of("\\");
  if (cut != TStr::npos) keep.Add(profile.substr(0, cut));
  char buf[MAX_PATH + 1];
  UINT n = GetWindowsDirectoryA(buf, MAX_PATH);
  if (n && n < MAX_PATH) keep.Add(TStr(buf, n));
  n = GetSystemDirectoryA(buf, MAX_PATH);
  if (n && n < MAX_PATH) keep.Add(TStr(buf, n));
  DWORD t = GetTempPathA(MAX_PATH, buf);
  if (t && t < MAX_PATH) keep.Add(TStr(buf, t));
}
