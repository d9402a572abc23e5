// uncab.dll: the four FDI exports over the engine, and the library's own
// entry. The library links no C runtime start-up, so it has no global
// constructors and nothing to set up on load.
#include <windows.h>

#include <fdi.h>
#include <stddef.h>

#include "uncab/fdi_types.h"

// Callers hand these records across the library boundary; the engine's
// declarations must lay them out exactly as the platform's do.
#define SAME_FIELD(ours, theirs, a, b) \
  static_assert(offsetof(ours, a) == offsetof(theirs, b) && sizeof(ours::a) == sizeof(theirs::b), #a)

static_assert(sizeof(TFdiError) == sizeof(ERF), "ERF size");
SAME_FIELD(TFdiError, ERF, oper, erfOper);
SAME_FIELD(TFdiError, ERF, type, erfType);
SAME_FIELD(TFdiError, ERF, flag, fError);

static_assert(sizeof(TFdiCabinetInfo) == sizeof(FDICABINETINFO), "FDICABINETINFO size");
SAME_FIELD(TFdiCabinetInfo, FDICABINETINFO, cbCabinet, cbCabinet);
SAME_FIELD(TFdiCabinetInfo, FDICABINETINFO, cFolders, cFolders);
SAME_FIELD(TFdiCabinetInfo, FDICABINETINFO, cFiles, cFiles);
SAME_FIELD(TFdiCabinetInfo, FDICABINETINFO, setID, setID);
SAME_FIELD(TFdiCabinetInfo, FDICABINETINFO, iCabinet, iCabinet);
SAME_FIELD(TFdiCabinetInfo, FDICABINETINFO, fReserve, fReserve);
SAME_FIELD(TFdiCabinetInfo, FDICABINETINFO, hasprev, hasprev);
SAME_FIELD(TFdiCabinetInfo, FDICABINETINFO, hasnext, hasnext);

static_assert(sizeof(TFdiNotification) == sizeof(FDINOTIFICATION), "FDINOTIFICATION size");
SAME_FIELD(TFdiNotification, FDINOTIFICATION, cb, cb);
SAME_FIELD(TFdiNotification, FDINOTIFICATION, psz1, psz1);
SAME_FIELD(TFdiNotification, FDINOTIFICATION, psz2, psz2);
SAME_FIELD(TFdiNotification, FDINOTIFICATION, psz3, psz3);
SAME_FIELD(TFdiNotification, FDINOTIFICATION, pv, pv);
SAME_FIELD(TFdiNotification, FDINOTIFICATION, hf, hf);
SAME_FIELD(TFdiNotification, FDINOTIFICATION, date, date);
SAME_FIELD(TFdiNotification, FDINOTIFICATION, time, time);
SAME_FIELD(TFdiNotification, FDINOTIFICATION, attribs, attribs);
SAME_FIELD(TFdiNotification, FDINOTIFICATION, setID, setID);
SAME_FIELD(TFdiNotification, FDINOTIFICATION, iCabinet, iCabinet);
SAME_FIELD(TFdiNotification, FDINOTIFICATION, iFolder, iFolder);
SAME_FIELD(TFdiNotification, FDINOTIFICATION, fdie, fdie);

static_assert((int)FDIERROR_USER_ABORT == (int)kFdiUserAbort && (int)FDIERROR_TARGET_FILE == (int)kFdiTargetFile,
              "error codes");
static_assert((int)fdintNEXT_CABINET == (int)kFdintNextCabinet && _A_EXEC == kCabAttribExecute,
              "notification codes");

extern "C" {

HFDI DIAMONDAPI FDICreate(PFNALLOC pfnalloc, PFNFREE pfnfree, PFNOPEN pfnopen, PFNREAD pfnread,
                          PFNWRITE pfnwrite, PFNCLOSE pfnclose, PFNSEEK pfnseek, int cpuType,
                          PERF perf) {
  return Fdi_Create(reinterpret_cast<FdiAlloc>(pfnalloc), reinterpret_cast<FdiFree>(pfnfree),
                    reinterpret_cast<FdiOpen>(pfnopen), reinterpret_cast<FdiRead>(pfnread),
                    reinterpret_cast<FdiWrite>(pfnwrite), reinterpret_cast<FdiClose>(pfnclose),
                    reinterpret_cast<FdiSeek>(pfnseek), cpuType, reinterpret_cast<TFdiError*>(perf));
}

WINBOOL DIAMONDAPI FDIIsCabinet(HFDI hfdi, INT_PTR hf, PFDICABINETINFO pfdici) {
  return Fdi_IsCabinet(hfdi, hf, reinterpret_cast<TFdiCabinetInfo*>(pfdici));
}

WINBOOL DIAMONDAPI FDICopy(HFDI hfdi, char* pszCabinet, char* pszCabPath, int flags,
                           PFNFDINOTIFY pfnfdin, PFNFDIDECRYPT pfnfdid, void* pvUser) {
  return Fdi_Copy(hfdi, pszCabinet, pszCabPath, flags, reinterpret_cast<FdiNotify>(pfnfdin),
                  reinterpret_cast<FdiDecrypt>(pfnfdid), pvUser);
}

WINBOOL DIAMONDAPI FDIDestroy(HFDI hfdi) { return Fdi_Destroy(hfdi); }

BOOL WINAPI UncabEntry(HINSTANCE, DWORD, LPVOID) { return TRUE; }

}  // extern "C"
