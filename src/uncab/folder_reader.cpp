// Reading a folder: block by block through the decoder, stored blocks that
// lie wholly before the wanted bytes stepped over unread, and on into the
// next cabinet of a set when the folder continues there.
#include <string.h>

#include "uncab/fdi_engine.h"

void Folder_Stop(TCopyJob* job) {
  TFolderCursor* c = &job->cursor;
  Decoder_Destroy(c->decoder);
  memset(c, 0, sizeof *c);
}

namespace {

void Identify(const TCabinet* cab, uint32_t folder, TCabIdentity* id) {
  memset(id, 0, sizeof *id);
  memcpy(id->path, cab->fullPath, sizeof id->path);
  const TCabHeader& h = cab->header;
  id->cbCabinet = h.cbCabinet;
  id->coffFiles = h.coffFiles;
  id->cFolders = h.cFolders;
  id->cFiles = h.cFiles;
  id->setID = h.setID;
  id->iCabinet = h.iCabinet;
  id->folder = (uint16_t)folder;
  if (folder < h.cFolders) {
    id->folderStart = cab->folders[folder].coffCabStart;
    id->type = cab->folders[folder].typeCompress;
  }
}

}  // namespace

void Folder_Forget(TFdiEngine* e) {
  if (!e->kept) return;
  Decoder_Destroy(e->kept->decoder);
  Engine_Release(e, e->kept);
  e->kept = nullptr;
}

void Folder_Keep(TCopyJob* job) {
  TFdiEngine* e = job->e;
  TFolderCursor* c = &job->cursor;
  Folder_Forget(e);
  // Only a folder read from the first cabinet alone can be found again.
  if (c->active && c->rewindable && c->cab == &job->cabs[0] && c->splitLen == 0) {
    e->kept = (TFolderCursor*)Engine_Allocate(e, sizeof(TFolderCursor));
    if (e->kept) {
      Identify(c->cab, c->key & 0xFFFF, &e->keptFrom);
      *e->kept = *c;
      e->kept->cab = nullptr;
      memset(c, 0, sizeof *c);
      return;
    }
  }
  Folder_Stop(job);
}

void Folder_Resume(TCopyJob* job, TCabinet* cab) {
  TFdiEngine* e = job->e;
  if (!e->kept) return;
  TCabIdentity now;
  Identify(cab, e->keptFrom.folder, &now);
  if (memcmp(&now, &e->keptFrom, sizeof now) != 0 ||
      Cabinet_FolderKey(cab, e->keptFrom.folder) != e->kept->key) {
    Folder_Forget(e);
    return;
  }
  Folder_Stop(job);
  job->cursor = *e->kept;
  job->cursor.cab = cab;
  Engine_Release(e, e->kept);
  e->kept = nullptr;
}

namespace {

bool StartFolder(TCopyJob* job, TCabinet* cab, uint32_t folder) {
  TFdiEngine* e = job->e;
  Folder_Stop(job);
  const TCabFolder& f = cab->folders[folder];
  TFolderCursor* c = &job->cursor;
  c->type = f.typeCompress;
  if ((c->type & kCompressMask) != kCompressNone) {
    switch (Decoder_Create(c->type, &e->decoderMemory, &c->decoder)) {
      case kDecodeOk: break;
      case kDecodeNoMemory: c->decoder = nullptr; return Engine_Fail(e, kFdiAllocFail);
      default: c->decoder = nullptr; return Engine_Fail(e, kFdiBadComprType);
    }
  }
  c->active = true;
  c->key = Cabinet_FolderKey(cab, folder);
  c->cab = cab;
  c->blocksLeft = f.cCFData;
  c->nextBlock = f.coffCabStart;
  c->rewindable = true;
  return true;
}

// Opens the next cabinet of the set to go on reading the current folder,
// asking the caller where it is for as long as the caller changes the answer.
bool SwitchCabinet(TCopyJob* job) {
  TFdiEngine* e = job->e;
  TFolderCursor* c = &job->cursor;
  TCabinet* from = c->cab;
  TCabinet* to = Cabinet_FreeSlot(job);
  if (!to) return Engine_Fail(e, kFdiCorruptCabinet);
  memcpy(job->nextPath, from->folderPath, kMaxPath);
  job->triedPath[0] = 0;
  int fdie = kFdiNone;
  for (;;) {
    TFdiNotification n;
    memset(&n, 0, sizeof n);
    n.psz1 = from->header.nextCabinet;
    n.psz2 = from->header.nextDisk;
    n.psz3 = job->nextPath;
    n.setID = from->header.setID;
    n.iCabinet = (uint16_t)(from->header.iCabinet + 1);
    n.fdie = fdie;
    if (Copy_Notify(job, kFdintNextCabinet, &n) == -1) return Engine_Fail(e, kFdiUserAbort);
    job->nextPath[kMaxPath - 1] = 0;
    int code = Cabinet_Open(job, to, job->nextPath, from->header.nextCabinet);
    const TCabHeader& h = to->header;
    if (code == kFdiNone &&
        (!(h.flags & kCabFlagPrev) || h.setID != from->header.setID ||
         h.iCabinet != (uint16_t)(from->header.iCabinet + 1) || h.cFolders == 0))
      code = kFdiWrongCabinet;
    if (code == kFdiNone && (h.cbFolderReserve != from->header.cbFolderReserve ||
                             h.cbDataReserve != from->header.cbDataReserve))
      code = kFdiReserveMismatch;
    if (code == kFdiNone && to->folders[0].typeCompress != c->type) code = kFdiCorruptCabinet;
    if (code == kFdiNone) break;
    Cabinet_Close(e, to);
    // The caller left everything as it was: asking again would loop forever.
    if (code == fdie && strcmp(job->triedPath, job->nextPath) == 0) return Engine_Fail(e, code);
    memcpy(job->triedPath, job->nextPath, kMaxPath);
    fdie = code;
  }
  to->enteredBySwitch = true;
  to->folder0Key = c->key;
  if (from != job->list) Cabinet_Close(e, from);
  job->input = to;
  c->cab = to;
  c->blocksLeft = to->folders[0].cCFData;
  c->nextBlock = to->folders[0].coffCabStart;
  c->rewindable = false;
  return Copy_NotifyCabinetInfo(job, to);
}

bool DecodeBlock(TCopyJob* job, unsigned inLen, unsigned outLen) {
  TFdiEngine* e = job->e;
  TFolderCursor* c = &job->cursor;
  if ((c->type & kCompressMask) == kCompressNone) {
    if (inLen != outLen) return Engine_Fail(e, kFdiCorruptCabinet);
    c->outData = e->blockIn;
    return true;
  }
  switch (Decoder_Block(c->decoder, e->blockIn, inLen, e->blockOut, outLen)) {
    case kDecodeOk: c->outData = e->blockOut; return true;
    case kDecodeNoMemory: return Engine_Fail(e, kFdiAllocFail);
    case kDecodeBadType: return Engine_Fail(e, kFdiBadComprType);
    default: return Engine_Fail(e, kFdiCorruptCabinet);
  }
}

// Moves the cursor on to the next block that holds data at or after
// `wanted`. Stored blocks wholly before it are stepped over unread.
bool NextBlock(TCopyJob* job, uint64_t wanted) {
  TFdiEngine* e = job->e;
  TFolderCursor* c = &job->cursor;
  for (;;) {
    if (c->blocksLeft == 0) {
      // The folder's data in this cabinet is used up; only a folder that runs
      // on into the next cabinet has more.
      const TCabHeader& h = c->cab->header;
      bool isLast = c->cab->header.cFolders && Cabinet_FolderKey(c->cab, h.cFolders - 1) == c->key;
      if (!isLast || !(h.flags & kCabFlagNext)) return Engine_Fail(e, kFdiCorruptCabinet);
      if (!SwitchCabinet(job)) return false;
      continue;
    }
    TCabinet* cab = c->cab;
    uint8_t head[kCabDataFixedSize];
    if (!Input_Seek(&cab->in, c->nextBlock) ||
        !Input_ReadRecord(&cab->in, head, kCabDataFixedSize) ||
        !Input_Skip(&cab->in, cab->header.cbDataReserve))
      return Engine_Fail(e, kFdiCorruptCabinet);
    uint32_t sum = Cab_Get32(head);
    unsigned cbData = Cab_Get16(head + 4), cbUncomp = Cab_Get16(head + 6);
    uint32_t dataAt = cab->in.pos;
    if (cbData > cab->in.limit - dataAt || cbUncomp > kMaxBlockOutput ||
        cbData > kMaxBlockInput - c->splitLen)
      return Engine_Fail(e, kFdiCorruptCabinet);
    c->nextBlock = dataAt + cbData;
    --c->blocksLeft;
    uint64_t blockStart = c->outStart + c->outLen;
    bool stored = (c->type & kCompressMask) == kCompressNone;
    if (stored && c->splitLen == 0 && cbUncomp != 0 && blockStart + cbUncomp <= wanted) {
      c->outStart = blockStart + cbUncomp;
      c->outLen = 0;
      continue;
    }
    uint8_t* dst = e->blockIn + c->splitLen;
    if (!Input_Read(&cab->in, dst, cbData)) return Engine_Fail(e, kFdiCorruptCabinet);
    if (sum != 0 && Cab_BlockChecksum(dst, cbData, cbUncomp) != sum)
      return Engine_Fail(e, kFdiCorruptCabinet);
    if (cbUncomp == 0) {
      // The first part of a block split across cabinets: its other part
      // opens the folder's data in the next cabinet.
      if (c->blocksLeft != 0 || !Cabinet_FolderMayContinue(cab->header, cab->header.cFolders - 1))
        return Engine_Fail(e, kFdiCorruptCabinet);
      c->splitLen += cbData;
      continue;
    }
    unsigned inLen = c->splitLen + cbData;
    c->splitLen = 0;
    if (!DecodeBlock(job, inLen, cbUncomp)) return false;
    c->outStart = blockStart;
    c->outLen = cbUncomp;
    return true;
  }
}

}  // namespace

bool Folder_Extract(TCopyJob* job, uint32_t folder, const TCabFile& f, intptr_t hf) {
  TFdiEngine* e = job->e;
  TFolderCursor* c = &job->cursor;
  TCabinet* cab = job->list;
  if (f.cbFile == 0) return true;
  if (!e->io.write) return Engine_Fail(e, kFdiTargetFile);
  uint32_t key = Cabinet_FolderKey(cab, folder);
  // Folder 0 of a cabinet that goes on from the previous one starts in that
  // cabinet; its offsets cannot be reached from here.
  if (folder == 0 && cab->continuesFolder0 && !cab->enteredBySwitch)
    return Engine_Fail(e, kFdiWrongCabinet);
  if (!c->active || c->key != key || f.uoffFolderStart < c->outStart) {
    if (c->active && c->key == key && !c->rewindable) return Engine_Fail(e, kFdiCorruptCabinet);
    if (cab != job->input) return Engine_Fail(e, kFdiCorruptCabinet);
    if (!StartFolder(job, cab, folder)) return false;
  }
  uint64_t pos = f.uoffFolderStart;
  uint64_t end = pos + f.cbFile;
  while (pos < end) {
    uint64_t held = c->outStart + c->outLen;
    if (pos >= c->outStart && pos < held) {
      uint64_t k = (end < held ? end : held) - pos;
      unsigned done = e->io.write(e->io.self, hf, (void*)(c->outData + (pos - c->outStart)), (unsigned)k);
      if (done != (unsigned)k) return Engine_Fail(e, kFdiTargetFile);
      pos += k;
      continue;
    }
    if (!NextBlock(job, pos)) return false;
  }
  return true;
}
