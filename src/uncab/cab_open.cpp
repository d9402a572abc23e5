// Opening a cabinet: header, set names, folders and the whole file table,
// every count, offset and length checked against the cabinet's size.
#include <string.h>

#include "uncab/fdi_engine.h"

uint32_t Cabinet_FolderKey(const TCabinet* cab, uint32_t folder) {
  return folder == 0 ? cab->folder0Key : (cab->generation << 16) | folder;
}

void Cabinet_Close(TFdiEngine* e, TCabinet* cab) {
  if (!cab->open) return;
  Engine_Close(e, cab->hf);
  Engine_Release(e, cab->folders);
  Engine_Release(e, cab->fileTable);
  Engine_Release(e, cab->fileAt);
  cab->open = false;
  cab->folders = nullptr;
  cab->fileTable = nullptr;
  cab->fileAt = nullptr;
}

int Cabinet_ResolveFolder(const TCabHeader& h, uint16_t iFolder) {
  if (h.cFolders == 0) return -1;
  switch (iFolder) {
    case kCabFolderContinuedFromPrev:
      return (h.flags & kCabFlagPrev) ? 0 : -1;
    case kCabFolderContinuedToNext:
      return (h.flags & kCabFlagNext) ? h.cFolders - 1 : -1;
    case kCabFolderContinuedBoth:
      return (h.flags & kCabFlagPrev) && (h.flags & kCabFlagNext) ? 0 : -1;
    default:
      return iFolder < h.cFolders ? iFolder : -1;
  }
}

bool Cabinet_IsContinuedFromPrev(uint16_t iFolder) {
  return iFolder == kCabFolderContinuedFromPrev || iFolder == kCabFolderContinuedBoth;
}

bool Cabinet_FolderMayContinue(const TCabHeader& h, uint32_t folder) {
  return (h.flags & kCabFlagNext) && folder + 1 == h.cFolders;
}

namespace {

int ReadHeader(TCabinet* cab) {
  TCabSource* in = &cab->in;
  TCabHeader* h = &cab->header;
  uint8_t fixed[kCabHeaderFixedSize];
  if (!Input_Read(in, fixed, 4)) return kFdiNotACabinet;
  if (!Input_Read(in, fixed + 4, kCabHeaderFixedSize - 4)) {
    return memcmp(fixed, "MSCF", 4) == 0 ? kFdiCorruptCabinet : kFdiNotACabinet;
  }
  switch (Cab_ParseFixedHeader(fixed, h)) {
    case kCabOk: break;
    case kCabNotCabinet: return kFdiNotACabinet;
    case kCabBadVersion: return kFdiUnknownCabinetVersion;
    default: return kFdiCorruptCabinet;
  }
  // A cabinet cut short is refused whole rather than half extracted: its
  // last byte must be there (the parse made sure it has a header's length).
  // The file's size is not asked for, since callers' seek callbacks need not
  // seek from the end. Bytes after the cabinet (a signature appended to the
  // package) are simply not read.
  if (!Input_Reaches(in, h->cbCabinet - 1)) return kFdiCorruptCabinet;
  in->limit = h->cbCabinet;
  if (h->flags & kCabFlagReserve) {
    uint8_t sizes[4];
    if (!Input_Read(in, sizes, 4)) return kFdiCorruptCabinet;
    h->cbHeaderReserve = Cab_Get16(sizes);
    h->cbFolderReserve = sizes[2];
    h->cbDataReserve = sizes[3];
    if (!Input_Skip(in, h->cbHeaderReserve)) return kFdiCorruptCabinet;
  }
  if (h->flags & kCabFlagPrev) {
    if (!Input_ReadName(in, h->prevCabinet, kCabMaxName) ||
        !Input_ReadName(in, h->prevDisk, kCabMaxName))
      return kFdiCorruptCabinet;
  }
  if (h->flags & kCabFlagNext) {
    if (!Input_ReadName(in, h->nextCabinet, kCabMaxName) ||
        !Input_ReadName(in, h->nextDisk, kCabMaxName))
      return kFdiCorruptCabinet;
  }
  h->coffFolders = in->pos;
  return kFdiNone;
}

int ReadFolders(TFdiEngine* e, TCabinet* cab) {
  const TCabHeader& h = cab->header;
  if (h.cFolders == 0) return kFdiNone;
  cab->folders = (TCabFolder*)Engine_Allocate(e, h.cFolders * (uint32_t)sizeof(TCabFolder));
  if (!cab->folders) return kFdiAllocFail;
  uint8_t record[kCabFolderFixedSize];
  for (uint32_t i = 0; i < h.cFolders; ++i) {
    if (!Input_Read(&cab->in, record, kCabFolderFixedSize) ||
        !Input_Skip(&cab->in, h.cbFolderReserve))
      return kFdiCorruptCabinet;
    TCabFolder* f = &cab->folders[i];
    Cab_ParseFolder(record, kCabFolderFixedSize, f);
    if (f->cCFData && (f->coffCabStart < h.coffFolders || f->coffCabStart >= h.cbCabinet))
      return kFdiCorruptCabinet;
  }
  return kFdiNone;
}

// Reads the whole file table at once and checks every record before the
// caller hears of any file, so a damaged table never leaves half an
// extraction behind.
int ReadFiles(TFdiEngine* e, TCabinet* cab) {
  const TCabHeader& h = cab->header;
  if (h.cFiles == 0) return kFdiNone;
  if (h.coffFiles < h.coffFolders || h.coffFiles >= h.cbCabinet) return kFdiCorruptCabinet;
  uint32_t room = h.cbCabinet - h.coffFiles;
  uint32_t most = h.cFiles * (kCabFileFixedSize + kCabMaxName);
  if (most > room) most = room;
  // Names are short as a rule: start with room for 48 bytes a name and grow
  // only when the table turns out longer, so the data behind it is not read.
  uint32_t length = h.cFiles * (kCabFileFixedSize + 48u);
  if (length > most) length = most;
  cab->fileTable = (uint8_t*)Engine_Allocate(e, length);
  cab->fileAt = (uint32_t*)Engine_Allocate(e, h.cFiles * (uint32_t)sizeof(uint32_t));
  if (!cab->fileTable || !cab->fileAt) return kFdiAllocFail;
  if (!Input_Seek(&cab->in, h.coffFiles) || !Input_Read(&cab->in, cab->fileTable, length))
    return kFdiCorruptCabinet;
  uint32_t at = 0;
  for (uint32_t i = 0; i < h.cFiles; ++i) {
    TCabFile f;
    size_t used = 0;
    CabParseResult parsed;
    while ((parsed = Cab_ParseFile(cab->fileTable + at, length - at, &f, &used)) == kCabNeedMore &&
           length < most) {
      uint32_t grown = length > most / 2 ? most : 2 * length;
      uint8_t* table = (uint8_t*)Engine_Allocate(e, grown);
      if (!table) return kFdiAllocFail;
      memcpy(table, cab->fileTable, length);
      Engine_Release(e, cab->fileTable);
      cab->fileTable = table;
      if (!Input_Read(&cab->in, table + length, grown - length)) return kFdiCorruptCabinet;
      length = grown;
    }
    if (parsed != kCabOk) return kFdiCorruptCabinet;
    int folder = Cabinet_ResolveFolder(h, f.iFolder);
    if (folder < 0) return kFdiCorruptCabinet;
    uint64_t end = (uint64_t)f.uoffFolderStart + f.cbFile;
    if (end > 0xFFFFFFFFu) return kFdiCorruptCabinet;
    // A file that starts here cannot reach past the most its folder's blocks
    // can hold, unless the folder runs on into the next cabinet or began in
    // the previous one (its offsets then count from there).
    bool chained = Cabinet_FolderMayContinue(h, (uint32_t)folder) || (folder == 0 && (h.flags & kCabFlagPrev));
    if (!chained &&
        end > (uint64_t)cab->folders[folder].cCFData * kMaxBlockOutput)
      return kFdiCorruptCabinet;
    if (Cabinet_IsContinuedFromPrev(f.iFolder)) cab->continuesFolder0 = true;
    cab->fileAt[i] = at;
    at += (uint32_t)used;
  }
  cab->fileTableLen = length;
  return kFdiNone;
}

}  // namespace

int Cabinet_Open(TCopyJob* job, TCabinet* cab, const char* folderPath, const char* name) {
  TFdiEngine* e = job->e;
  size_t pathLen = strlen(folderPath), nameLen = strlen(name);
  char full[2 * kMaxPath];
  if (pathLen >= kMaxPath || nameLen >= kMaxPath) return kFdiCabinetNotFound;
  memcpy(full, folderPath, pathLen);
  memcpy(full + pathLen, name, nameLen + 1);
  memcpy(cab->folderPath, folderPath, pathLen + 1);
  memcpy(cab->fullPath, full, pathLen + nameLen + 1);
  cab->hf = e->io.open(e->io.self, full, kFdiOpenBinary, kFdiOpenMode);
  if (cab->hf == -1) return kFdiCabinetNotFound;
  cab->open = true;
  cab->enteredBySwitch = false;
  cab->continuesFolder0 = false;
  cab->generation = ++job->generations;
  cab->folder0Key = cab->generation << 16;
  Input_Init(&cab->in, &e->io, cab->hf, e->inputBuffer, kInputBufferSize);
  int code = ReadHeader(cab);
  if (code == kFdiNone) code = ReadFolders(e, cab);
  if (code == kFdiNone) code = ReadFiles(e, cab);
  return code;
}

TCabinet* Cabinet_FreeSlot(TCopyJob* job) {
  for (unsigned i = 0; i < kCabinetSlots; ++i)
    if (!job->cabs[i].open) return &job->cabs[i];
  return nullptr;
}
