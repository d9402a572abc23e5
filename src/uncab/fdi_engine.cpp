// The FDI engine: opens a cabinet through the caller's callbacks, checks its
// tables, tells the caller about every file and writes out the ones it asks
// for. Folders are decoded lazily, block by block, and only as far as the
// last wanted byte: the setup program asks for one file per call, so a call
// must not pay for files it skips.
#include <string.h>

#include "uncab/fdi_engine.h"

bool Engine_Fail(TFdiEngine* e, int code, int type) {
  if (e->error) {
    e->error->oper = code;
    e->error->type = type;
    e->error->flag = 1;
  }
  return false;
}

void* Engine_Allocate(TFdiEngine* e, uint32_t size) {
  return size ? e->io.alloc(e->io.self, size) : nullptr;
}
void Engine_Release(TFdiEngine* e, void* p) {
  if (p) e->io.release(e->io.self, p);
}

intptr_t Copy_Notify(TCopyJob* job, int type, TFdiNotification* n) {
  n->pv = job->user;
  return job->notify(type, n);
}

bool Copy_NotifyCabinetInfo(TCopyJob* job, TCabinet* cab) {
  TFdiNotification n;
  memset(&n, 0, sizeof n);
  n.psz1 = cab->header.nextCabinet;
  n.psz2 = cab->header.nextDisk;
  n.psz3 = cab->folderPath;
  n.setID = cab->header.setID;
  n.iCabinet = cab->header.iCabinet;
  if (Copy_Notify(job, kFdintCabinetInfo, &n) == -1) return Engine_Fail(job->e, kFdiUserAbort);
  return true;
}
namespace {

bool ProcessFile(TCopyJob* job, const TCabFile& f) {
  TFdiEngine* e = job->e;
  TCabinet* cab = job->list;
  TFdiNotification n;
  memset(&n, 0, sizeof n);
  n.psz1 = f.name;
  n.setID = cab->header.setID;
  n.iCabinet = cab->header.iCabinet;
  n.iFolder = f.iFolder;
  if (Cabinet_IsContinuedFromPrev(f.iFolder)) {
    n.psz2 = cab->header.prevCabinet;
    n.psz3 = cab->header.prevDisk;
    if (Copy_Notify(job, kFdintPartialFile, &n) == -1) return Engine_Fail(e, kFdiUserAbort);
    return true;
  }
  n.cb = (int32_t)f.cbFile;
  n.date = f.date;
  n.time = f.time;
  n.attribs = f.attribs;
  intptr_t hf = Copy_Notify(job, kFdintCopyFile, &n);
  if (hf == -1) return Engine_Fail(e, kFdiUserAbort);
  if (hf == 0) return true;
  if (!Folder_Extract(job, (uint32_t)Cabinet_ResolveFolder(cab->header, f.iFolder), f, hf)) {
    Engine_Close(e, hf);
    return false;
  }
  memset(&n, 0, sizeof n);
  n.psz1 = f.name;
  n.hf = hf;
  n.date = f.date;
  n.time = f.time;
  n.attribs = f.attribs;
  n.cb = (f.attribs & kCabAttribExecute) ? 1 : 0;
  n.setID = cab->header.setID;
  n.iCabinet = cab->header.iCabinet;
  n.iFolder = f.iFolder;
  intptr_t done = Copy_Notify(job, kFdintCloseFileInfo, &n);
  if (done == -1) return Engine_Fail(e, kFdiUserAbort);
  if (done == 0) return Engine_Fail(e, kFdiTargetFile);
  return true;
}

bool RunCopy(TCopyJob* job, const char* name, const char* folderPath) {
  TFdiEngine* e = job->e;
  TCabinet* first = &job->cabs[0];
  int code = Cabinet_Open(job, first, folderPath, name);
  if (code != kFdiNone) return Engine_Fail(e, code);
  job->list = job->input = first;
  Folder_Resume(job, first);
  if (!Copy_NotifyCabinetInfo(job, first)) return false;
  for (;;) {
    TCabinet* cab = job->list;
    for (uint32_t i = 0; i < cab->header.cFiles; ++i) {
      TCabFile f;
      size_t used;
      uint32_t at = cab->fileAt[i];
      Cab_ParseFile(cab->fileTable + at, cab->fileTableLen - at, &f, &used);
      // Files begun in the cabinet we came from were handled there.
      if (cab->enteredBySwitch && Cabinet_IsContinuedFromPrev(f.iFolder)) continue;
      if (!ProcessFile(job, f)) return false;
    }
    if (job->input == cab) return true;
    // The data ran on into later cabinets: their own files come next.
    Cabinet_Close(e, cab);
    job->list = job->input;
  }
}

}  // namespace

namespace {

// The decoders' memory is the engine's, through the engine's own table.
void* DecoderAllocate(void* self, size_t size) {
  if (size > 0xFFFFFFFFu) return nullptr;
  return Engine_Allocate((TFdiEngine*)self, (uint32_t)size);
}
void DecoderRelease(void* self, void* block) { Engine_Release((TFdiEngine*)self, block); }

void FailAllocation(TFdiError* error) {
  if (error) {
    error->oper = kFdiAllocFail;
    error->type = 0;
    error->flag = 1;
  }
}

}  // namespace

TFdiEngine* FdiEngine_Create(const TFdiIo* io, TFdiError* error) {
  if (!io || !io->alloc || !io->release) {
    FailAllocation(error);
    return nullptr;
  }
  TFdiEngine* e = (TFdiEngine*)io->alloc(io->self, sizeof(TFdiEngine));
  if (e) {
    memset(e, 0, sizeof *e);
    e->io = *io;
    e->decoderMemory.alloc = DecoderAllocate;
    e->decoderMemory.release = DecoderRelease;
    e->decoderMemory.self = e;
    e->error = error;
    e->inputBuffer = (uint8_t*)Engine_Allocate(e, kInputBufferSize);
    e->blockIn = (uint8_t*)Engine_Allocate(e, kMaxBlockInput);
    e->blockOut = (uint8_t*)Engine_Allocate(e, kMaxBlockOutput);
    if (e->inputBuffer && e->blockIn && e->blockOut) return e;
    FdiEngine_Destroy(e);
  }
  FailAllocation(error);
  return nullptr;
}

int FdiEngine_IsCabinet(TFdiEngine* e, intptr_t hf, TFdiCabinetInfo* info) {
  if (!e || !info) return 0;
  if (!e->io.read) return Engine_Fail(e, kFdiCabinetNotFound);
  uint8_t fixed[kCabHeaderFixedSize];
  unsigned got = e->io.read(e->io.self, hf, fixed, kCabHeaderFixedSize);
  if (got != kCabHeaderFixedSize) return 0;
  TCabHeader h;
  switch (Cab_ParseFixedHeader(fixed, &h)) {
    case kCabOk: break;
    case kCabBadVersion: return Engine_Fail(e, kFdiUnknownCabinetVersion);
    case kCabNotCabinet: return 0;
    default: return Engine_Fail(e, kFdiCorruptCabinet);
  }
  info->cbCabinet = (int32_t)h.cbCabinet;
  info->cFolders = h.cFolders;
  info->cFiles = h.cFiles;
  info->setID = h.setID;
  info->iCabinet = h.iCabinet;
  info->fReserve = (h.flags & kCabFlagReserve) != 0;
  info->hasprev = (h.flags & kCabFlagPrev) != 0;
  info->hasnext = (h.flags & kCabFlagNext) != 0;
  return 1;
}

int FdiEngine_Copy(TFdiEngine* e, char* cabinetName, char* cabinetPath, FdiNotify notify,
                   void* user) {
  if (!e) return 0;
  if (!cabinetName || !notify) return Engine_Fail(e, kFdiCabinetNotFound);
  // Without these the cabinet can be neither read nor let go of again.
  if (!e->io.open || !e->io.read || !e->io.seek || !e->io.close)
    return Engine_Fail(e, kFdiCabinetNotFound);
  // A notification that calls back into the same context would pull the
  // buffers from under the running copy.
  if (e->busy) return Engine_Fail(e, kFdiUserAbort);
  TCopyJob* job = (TCopyJob*)Engine_Allocate(e, sizeof(TCopyJob));
  if (!job) return Engine_Fail(e, kFdiAllocFail);
  memset(job, 0, sizeof *job);
  job->e = e;
  job->notify = notify;
  job->user = user;
  e->busy = true;
  bool ok = RunCopy(job, cabinetName, cabinetPath ? cabinetPath : "");
  if (ok)
    Folder_Keep(job);
  else
    Folder_Stop(job);
  for (unsigned i = 0; i < kCabinetSlots; ++i) Cabinet_Close(e, &job->cabs[i]);
  e->busy = false;
  Engine_Release(e, job);
  return ok ? 1 : 0;
}

int FdiEngine_Destroy(TFdiEngine* e) {
  if (!e || e->busy) return 0;
  Folder_Forget(e);
  Engine_Release(e, e->inputBuffer);
  Engine_Release(e, e->blockIn);
  Engine_Release(e, e->blockOut);
  TFdiIo io = e->io;
  io.release(io.self, e);
  return 1;
}
