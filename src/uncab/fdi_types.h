// The FDI calling surface of the cabinet engine: the record layouts, callback
// shapes and codes that callers of uncab.dll use. Declared here without any
// system header so the engine builds natively too; the DLL's export layer
// checks at compile time that these match the platform's own declarations.
//
// Widths follow the Windows data model on every build: the platform's "long"
// and "ULONG" are 32 bits (int32_t/uint32_t here), handles and the user value
// are pointer-sized (intptr_t). Records are packed to 4 bytes on 32-bit
// builds, as the platform header packs them there; 64-bit builds keep natural
// alignment, as the platform header does (pointers on 8-byte boundaries).
#pragma once
#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define FDI_CALL __cdecl
#else
#define FDI_CALL
#endif

#if UINTPTR_MAX == 0xFFFFFFFFu
#define FDI_RECORDS_PACKED 1
#pragma pack(push, 4)
#endif

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

// What Fdi_Copy sends (pv is always the caller's user value) and what the
// answers mean:
// - kFdintCabinetInfo, once for every cabinet opened: psz1 the next cabinet's
//   name, psz2 its disk, psz3 the folder the cabinet was opened from, setID,
//   iCabinet. -1 aborts.
// - kFdintPartialFile, for a file begun in the previous cabinet: psz1 its
//   name, psz2 the cabinet and psz3 the disk it begins in. -1 aborts.
// - kFdintCopyFile: psz1 the stored name, cb the size, date, time, attribs.
//   0 skips the file, -1 aborts, anything else is the handle to write to.
// - kFdintCloseFileInfo, after the data: psz1, hf (the receiver closes it),
//   date, time, attribs (the stored word, flag bits included), cb 1 when the
//   execute bit is set. TRUE goes on, FALSE fails the copy with
//   kFdiTargetFile, -1 aborts.
// - kFdintNextCabinet, when a wanted file's folder goes on in the next
//   cabinet: psz1 its name, psz2 its disk, psz3 a kFdiMaxPath-byte buffer
//   holding the folder to open it from (may be changed), fdie the failure of
//   the previous attempt. -1 aborts; asked again while the cabinet found is
//   wrong, until an answer changes nothing.
// Aborts fail the copy with kFdiUserAbort. When a copy fails while a file is
// being written, its handle is closed through the close callback.
const unsigned kFdiMaxPath = 256;

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

#ifdef FDI_RECORDS_PACKED
#pragma pack(pop)
#undef FDI_RECORDS_PACKED
#endif

typedef void*(FDI_CALL* FdiAlloc)(uint32_t cb);
typedef void(FDI_CALL* FdiFree)(void* pv);
typedef intptr_t(FDI_CALL* FdiOpen)(char* file, int oflag, int pmode);
typedef unsigned(FDI_CALL* FdiRead)(intptr_t hf, void* pv, unsigned cb);
typedef unsigned(FDI_CALL* FdiWrite)(intptr_t hf, void* pv, unsigned cb);
typedef int(FDI_CALL* FdiClose)(intptr_t hf);
typedef int32_t(FDI_CALL* FdiSeek)(intptr_t hf, int32_t dist, int seektype);
typedef intptr_t(FDI_CALL* FdiNotify)(int type, TFdiNotification* n);
typedef int(FDI_CALL* FdiDecrypt)(void* d);

// How the engine opens a cabinet, as callers' open callbacks expect it: the
// C runtime's _O_BINARY (read-only, since _O_RDONLY is 0) and a permission
// mode of _S_IREAD | _S_IWRITE.
const int kFdiOpenBinary = 0x8000;
const int kFdiOpenMode = 0x0180;

// File attribute bits carried in a stored file's attribute word that are not
// file attributes: run after extraction, and name is UTF-8. Consumers mask them.
const uint16_t kCabAttribExecute = 0x40;
const uint16_t kCabAttribUtf8Name = 0x80;

typedef void* TFdiContext;

// The four engine calls, with the SDK's meaning and argument order.
// - Fdi_Create: all memory comes from `alloc`; the cpu type is ignored;
//   null with `error` filled when `alloc` or `release` is missing or memory
//   runs out. The file callbacks may be null (fdi_io.h says what then fails).
// - Fdi_IsCabinet: reads the header from the current position of `hf`;
//   non-zero with `info` filled when it is a cabinet.
// - Fdi_Copy: opens cabinetPath + cabinetName (kFdiOpenBinary, kFdiOpenMode)
//   and reports every file in stored order (see above). Every table is
//   checked, and the cabinet found as long as its header says, before the
//   first file is reported; a file whose folder index names no folder of the
//   cabinet fails the copy as corrupt. Seeks in the cabinet are only ever
//   from its start or the current position. Only wanted files are
//   decoded, only as far as needed; a folder left part-read is kept in the
//   context so that the next call for a later file of the same cabinet goes
//   on from there. Non-zero on success; on failure `error` says why. Flags and
//   the decryption callback are ignored. One call at a time per context.
// - Fdi_Destroy: frees the context; 0 for none or while a copy runs.
TFdiContext Fdi_Create(FdiAlloc alloc, FdiFree release, FdiOpen open, FdiRead read,
                       FdiWrite write, FdiClose close, FdiSeek seek, int cpuType,
                       TFdiError* error);
int Fdi_IsCabinet(TFdiContext context, intptr_t hf, TFdiCabinetInfo* info);
int Fdi_Copy(TFdiContext context, char* cabinetName, char* cabinetPath, int flags,
             FdiNotify notify, FdiDecrypt decrypt, void* user);
int Fdi_Destroy(TFdiContext context);
