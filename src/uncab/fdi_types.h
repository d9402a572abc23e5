// The FDI calling surface of the cabinet engine: the record layouts, callback
// shapes and codes that callers of uncab.dll use. Declared here without any
// system header so the engine builds natively too; the DLL's export layer
// checks at compile time that these match the platform's own declarations.
//
// Widths follow the Windows data model on every build: the platform's "long"
// and "ULONG" are 32 bits (int32_t/uint32_t here), handles and the user value
// are pointer-sized (intptr_t). Records are packed to 4 bytes, as the platform
// header packs them.
#pragma once
#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define FDI_CALL __cdecl
#else
#define FDI_CALL
#endif

#pragma pack(push, 4)

struct TFdiError {       // ERF
  int oper;              // erfOper: one of the FdiError codes
  int type;              // erfType: a further system code
  int flag;              // fError: non-zero when an error is recorded
};

enum FdiError {
  kFdiNone = 0,
  kFdiCabinetNotFound = 1,
  kFdiNotACabinet = 2,
  kFdiUnknownCabinetVersion = 3,
  kFdiCorruptCabinet = 4,
  kFdiAllocFail = 5,
  kFdiBadComprType = 6,
  kFdiMdiFail = 7,
  kFdiTargetFile = 8,
  kFdiReserveMismatch = 9,
  kFdiWrongCabinet = 10,
  kFdiUserAbort = 11,
};

enum FdiNotificationType {
  kFdintCabinetInfo = 0,
  kFdintPartialFile = 1,
  kFdintCopyFile = 2,
  kFdintCloseFileInfo = 3,
  kFdintNextCabinet = 4,
  kFdintEnumerate = 5,
};

struct TFdiNotification {  // FDINOTIFICATION
  int32_t cb;
  char* psz1;
  char* psz2;
  char* psz3;
  void* pv;
  intptr_t hf;
  uint16_t date;
  uint16_t time;
  uint16_t attribs;
  uint16_t setID;
  uint16_t iCabinet;
  uint16_t iFolder;
  int fdie;
};

struct TFdiCabinetInfo {   // FDICABINETINFO
  int32_t cbCabinet;
  uint16_t cFolders;
  uint16_t cFiles;
  uint16_t setID;
  uint16_t iCabinet;
  int fReserve;
  int hasprev;
  int hasnext;
};

#pragma pack(pop)

typedef void*(FDI_CALL* FdiAlloc)(uint32_t cb);
typedef void(FDI_CALL* FdiFree)(void* pv);
typedef intptr_t(FDI_CALL* FdiOpen)(char* file, int oflag, int pmode);
typedef unsigned(FDI_CALL* FdiRead)(intptr_t hf, void* pv, unsigned cb);
typedef unsigned(FDI_CALL* FdiWrite)(intptr_t hf, void* pv, unsigned cb);
typedef int(FDI_CALL* FdiClose)(intptr_t hf);
typedef int32_t(FDI_CALL* FdiSeek)(intptr_t hf, int32_t dist, int seektype);
typedef intptr_t(FDI_CALL* FdiNotify)(int type, TFdiNotification* n);
typedef int(FDI_CALL* FdiDecrypt)(void* d);

// Open-flag bits the engine passes to the open callback (the C runtime's
// _O_* values): read-only, binary, and sequential-scan hint.
const int kFdiOpenReadOnly = 0x0000;
const int kFdiOpenBinary = 0x8000;
const int kFdiOpenSequential = 0x0020;

// File attribute bits carried in a stored file's attribute word that are not
// file attributes: run after extraction, and name is UTF-8. Consumers mask them.
const uint16_t kCabAttribExecute = 0x40;
const uint16_t kCabAttribUtf8Name = 0x80;

typedef void* TFdiContext;

// The four engine calls, with the SDK's meaning and argument order.
TFdiContext Fdi_Create(FdiAlloc alloc, FdiFree release, FdiOpen open, FdiRead read,
                       FdiWrite write, FdiClose close, FdiSeek seek, int cpuType,
                       TFdiError* error);
int Fdi_IsCabinet(TFdiContext context, intptr_t hf, TFdiCabinetInfo* info);
int Fdi_Copy(TFdiContext context, char* cabinetName, char* cabinetPath, int flags,
             FdiNotify notify, FdiDecrypt decrypt, void* user);
int Fdi_Destroy(TFdiContext context);
