// The FDI engine: opens a cabinet through the caller's callbacks, checks its
// tables, tells the caller about every file and writes out the ones it asks
// for. Folders are decoded lazily, block by block, and only as far as the
// last wanted byte: the setup program asks for one file per call, so a call
// must not pay for files it skips.
#include <string.h>

#include "uncab/cab_format.h"
#include "uncab/cab_input.h"
#include "uncab/decoders.h"
#include "uncab/fdi_types.h"

namespace {

const unsigned kInputBufferSize = 8192;
const unsigned kMaxPath = kFdiMaxPath;  // longest cabinet folder or name the caller may give
const unsigned kCabinetSlots = 3;

struct TEngine {
  FdiAlloc alloc;
  FdiFree release;
  FdiOpen open;
  FdiRead read;
  FdiWrite write;
  FdiClose close;
  FdiSeek seek;
  TFdiError* error;
  uint8_t* inputBuffer;  // kInputBufferSize, for the cabinet being read
  uint8_t* blockIn;      // compressed block, split parts joined
  uint8_t* blockOut;     // decoded block
  bool busy;
};

struct TCabinet {
  bool open;
  intptr_t hf;
  TCabInput in;
  TCabHeader header;
  TCabFolder* folders;
  uint8_t* fileTable;  // the CFFILE records as stored
  uint32_t fileTableLen;
  uint32_t* fileAt;    // offset of each record in fileTable
  char folderPath[kMaxPath];
  bool enteredBySwitch;   // opened to continue a folder of the previous cabinet
  bool continuesFolder0;  // it lists files begun in the previous cabinet
  uint32_t folder0Key;    // chain key of folder 0
  uint32_t generation;
};

// Where decoding of one folder stands. A folder that spans cabinets is one
// chain; its uncompressed offsets run on across the cabinets.
struct TFolderCursor {
  bool active;
  uint32_t key;        // which folder chain (see FolderKey)
  TCabinet* cab;       // cabinet whose blocks are being read
  uint16_t type;
  TDecoder* decoder;
  uint32_t blocksLeft; // blocks of the folder still unread in `cab`
  uint32_t nextBlock;  // offset of the next CFDATA in `cab`
  bool rewindable;     // the chain began in `cab`, so it can be read again from its start
  uint64_t outStart;   // uncompressed offset of outData[0]
  uint32_t outLen;     // decoded bytes held at outData
  const uint8_t* outData;
  uint32_t splitLen;   // compressed bytes of a split block held in blockIn
};

struct TCopyJob {
  TEngine* e;
  FdiNotify notify;
  void* user;
  TCabinet cabs[kCabinetSlots];
  TCabinet* list;   // cabinet whose file list is being walked
  TCabinet* input;  // cabinet whose data is being read (differs after a switch)
  TFolderCursor cursor;
  uint32_t generations;
  char nextPath[kMaxPath];
  char triedPath[kMaxPath];
};

// The decoders take a plain allocator without context; they get the engine
// whose call is running. One FDI call at a time per process, as with the
// notification callbacks, which carry no context either.
TEngine* g_decoderEngine;

void* DecoderAllocate(size_t size) {
  if (size > 0xFFFFFFFFu) return nullptr;
  return g_decoderEngine->alloc((uint32_t)size);
}
void DecoderRelease(void* block) { g_decoderEngine->release(block); }

bool Fail(TEngine* e, int code, int type = 0) {
  if (e->error) {
    e->error->oper = code;
    e->error->type = type;
    e->error->flag = 1;
  }
  return false;
}

void* Allocate(TEngine* e, uint32_t size) { return size ? e->alloc(size) : nullptr; }
void Release(TEngine* e, void* p) {
  if (p) e->release(p);
}

uint32_t FolderKey(const TCabinet* cab, uint32_t folder) {
  return folder == 0 ? cab->folder0Key : (cab->generation << 16) | folder;
}

// --- Opening a cabinet ---------------------------------------------------------

void CloseCabinet(TEngine* e, TCabinet* cab) {
  if (!cab->open) return;
  e->close(cab->hf);
  Release(e, cab->folders);
  Release(e, cab->fileTable);
  Release(e, cab->fileAt);
  cab->open = false;
  cab->folders = nullptr;
  cab->fileTable = nullptr;
  cab->fileAt = nullptr;
}

// The folder a file's data lives in, continuation markers resolved; -1 when
// the index names no folder of this cabinet.
int ResolveFolder(const TCabHeader& h, uint16_t iFolder) {
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

bool IsContinuedFromPrev(uint16_t iFolder) {
  return iFolder == kCabFolderContinuedFromPrev || iFolder == kCabFolderContinuedBoth;
}

// A folder may run on into the next cabinet only when it is the last one and
// the cabinet has a successor.
bool FolderMayContinue(const TCabHeader& h, uint32_t folder) {
  return (h.flags & kCabFlagNext) && folder + 1 == h.cFolders;
}

int ReadHeader(TCabinet* cab) {
  TCabInput* in = &cab->in;
  TCabHeader* h = &cab->header;
  uint32_t actual = Input_FileSize(in);
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
  // A cabinet cut short is refused whole rather than half extracted. Bytes
  // after it (a signature appended to the package) are simply not read.
  if (actual != 0xFFFFFFFFu && h->cbCabinet > actual) return kFdiCorruptCabinet;
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

int ReadFolders(TEngine* e, TCabinet* cab) {
  const TCabHeader& h = cab->header;
  if (h.cFolders == 0) return kFdiNone;
  cab->folders = (TCabFolder*)Allocate(e, h.cFolders * (uint32_t)sizeof(TCabFolder));
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
int ReadFiles(TEngine* e, TCabinet* cab) {
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
  cab->fileTable = (uint8_t*)Allocate(e, length);
  cab->fileAt = (uint32_t*)Allocate(e, h.cFiles * (uint32_t)sizeof(uint32_t));
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
      uint8_t* table = (uint8_t*)Allocate(e, grown);
      if (!table) return kFdiAllocFail;
      memcpy(table, cab->fileTable, length);
      Release(e, cab->fileTable);
      cab->fileTable = table;
      if (!Input_Read(&cab->in, table + length, grown - length)) return kFdiCorruptCabinet;
      length = grown;
    }
    if (parsed != kCabOk) return kFdiCorruptCabinet;
    int folder = ResolveFolder(h, f.iFolder);
    if (folder < 0) return kFdiCorruptCabinet;
    uint64_t end = (uint64_t)f.uoffFolderStart + f.cbFile;
    if (end > 0xFFFFFFFFu) return kFdiCorruptCabinet;
    // A file that starts here cannot reach past the most its folder's blocks
    // can hold, unless the folder runs on into the next cabinet or began in
    // the previous one (its offsets then count from there).
    bool chained = FolderMayContinue(h, (uint32_t)folder) || (folder == 0 && (h.flags & kCabFlagPrev));
    if (!chained &&
        end > (uint64_t)cab->folders[folder].cCFData * kMaxBlockOutput)
      return kFdiCorruptCabinet;
    if (IsContinuedFromPrev(f.iFolder)) cab->continuesFolder0 = true;
    cab->fileAt[i] = at;
    at += (uint32_t)used;
  }
  cab->fileTableLen = length;
  return kFdiNone;
}

int OpenCabinet(TCopyJob* job, TCabinet* cab, const char* folderPath, const char* name) {
  TEngine* e = job->e;
  size_t pathLen = strlen(folderPath), nameLen = strlen(name);
  char full[2 * kMaxPath];
  if (pathLen >= kMaxPath || nameLen >= kMaxPath) return kFdiCabinetNotFound;
  memcpy(full, folderPath, pathLen);
  memcpy(full + pathLen, name, nameLen + 1);
  memcpy(cab->folderPath, folderPath, pathLen + 1);
  cab->hf = e->open(full, kFdiOpenBinary | kFdiOpenReadOnly | kFdiOpenSequential, 0);
  if (cab->hf == -1) return kFdiCabinetNotFound;
  cab->open = true;
  cab->enteredBySwitch = false;
  cab->continuesFolder0 = false;
  cab->generation = ++job->generations;
  cab->folder0Key = cab->generation << 16;
  Input_Init(&cab->in, e->read, e->seek, cab->hf, e->inputBuffer, kInputBufferSize);
  int code = ReadHeader(cab);
  if (code == kFdiNone) code = ReadFolders(e, cab);
  if (code == kFdiNone) code = ReadFiles(e, cab);
  return code;
}

TCabinet* FreeSlot(TCopyJob* job) {
  for (unsigned i = 0; i < kCabinetSlots; ++i)
    if (!job->cabs[i].open) return &job->cabs[i];
  return nullptr;
}

// --- Notifications ---------------------------------------------------------------

intptr_t Notify(TCopyJob* job, int type, TFdiNotification* n) {
  n->pv = job->user;
  return job->notify(type, n);
}

bool NotifyCabinetInfo(TCopyJob* job, TCabinet* cab) {
  TFdiNotification n;
  memset(&n, 0, sizeof n);
  n.psz1 = cab->header.nextCabinet;
  n.psz2 = cab->header.nextDisk;
  n.psz3 = cab->folderPath;
  n.setID = cab->header.setID;
  n.iCabinet = cab->header.iCabinet;
  if (Notify(job, kFdintCabinetInfo, &n) == -1) return Fail(job->e, kFdiUserAbort);
  return true;
}

// --- Decoding ----------------------------------------------------------------------

void StopFolder(TCopyJob* job) {
  TFolderCursor* c = &job->cursor;
  if (c->decoder) {
    g_decoderEngine = job->e;
    Decoder_Destroy(c->decoder);
  }
  memset(c, 0, sizeof *c);
}

bool StartFolder(TCopyJob* job, TCabinet* cab, uint32_t folder) {
  TEngine* e = job->e;
  StopFolder(job);
  const TCabFolder& f = cab->folders[folder];
  TFolderCursor* c = &job->cursor;
  c->type = f.typeCompress;
  if ((c->type & kCompressMask) != kCompressNone) {
    g_decoderEngine = e;
    switch (Decoder_Create(c->type, DecoderAllocate, DecoderRelease, &c->decoder)) {
      case kDecodeOk: break;
      case kDecodeNoMemory: c->decoder = nullptr; return Fail(e, kFdiAllocFail);
      default: c->decoder = nullptr; return Fail(e, kFdiBadComprType);
    }
  }
  c->active = true;
  c->key = FolderKey(cab, folder);
  c->cab = cab;
  c->blocksLeft = f.cCFData;
  c->nextBlock = f.coffCabStart;
  c->rewindable = true;
  return true;
}

// Opens the next cabinet of the set to go on reading the current folder,
// asking the caller where it is for as long as the caller changes the answer.
bool SwitchCabinet(TCopyJob* job) {
  TEngine* e = job->e;
  TFolderCursor* c = &job->cursor;
  TCabinet* from = c->cab;
  TCabinet* to = FreeSlot(job);
  if (!to) return Fail(e, kFdiCorruptCabinet);
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
    if (Notify(job, kFdintNextCabinet, &n) == -1) return Fail(e, kFdiUserAbort);
    job->nextPath[kMaxPath - 1] = 0;
    int code = OpenCabinet(job, to, job->nextPath, from->header.nextCabinet);
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
    CloseCabinet(e, to);
    // The caller left everything as it was: asking again would loop forever.
    if (code == fdie && strcmp(job->triedPath, job->nextPath) == 0) return Fail(e, code);
    memcpy(job->triedPath, job->nextPath, kMaxPath);
    fdie = code;
  }
  to->enteredBySwitch = true;
  to->folder0Key = c->key;
  if (from != job->list) CloseCabinet(e, from);
  job->input = to;
  c->cab = to;
  c->blocksLeft = to->folders[0].cCFData;
  c->nextBlock = to->folders[0].coffCabStart;
  c->rewindable = false;
  return NotifyCabinetInfo(job, to);
}

bool DecodeBlock(TCopyJob* job, unsigned inLen, unsigned outLen) {
  TEngine* e = job->e;
  TFolderCursor* c = &job->cursor;
  if ((c->type & kCompressMask) == kCompressNone) {
    if (inLen != outLen) return Fail(e, kFdiCorruptCabinet);
    c->outData = e->blockIn;
    return true;
  }
  g_decoderEngine = e;
  switch (Decoder_Block(c->decoder, e->blockIn, inLen, e->blockOut, outLen)) {
    case kDecodeOk: c->outData = e->blockOut; return true;
    case kDecodeNoMemory: return Fail(e, kFdiAllocFail);
    case kDecodeBadType: return Fail(e, kFdiBadComprType);
    default: return Fail(e, kFdiCorruptCabinet);
  }
}

// Moves the cursor on to the next block that holds data at or after
// `wanted`. Stored blocks wholly before it are stepped over unread.
bool NextBlock(TCopyJob* job, uint64_t wanted) {
  TEngine* e = job->e;
  TFolderCursor* c = &job->cursor;
  for (;;) {
    if (c->blocksLeft == 0) {
      // The folder's data in this cabinet is used up; only a folder that runs
      // on into the next cabinet has more.
      const TCabHeader& h = c->cab->header;
      bool isLast = c->cab->header.cFolders && FolderKey(c->cab, h.cFolders - 1) == c->key;
      if (!isLast || !(h.flags & kCabFlagNext)) return Fail(e, kFdiCorruptCabinet);
      if (!SwitchCabinet(job)) return false;
      continue;
    }
    TCabinet* cab = c->cab;
    uint8_t head[kCabDataFixedSize];
    if (!Input_Seek(&cab->in, c->nextBlock) ||
        !Input_ReadRecord(&cab->in, head, kCabDataFixedSize) ||
        !Input_Skip(&cab->in, cab->header.cbDataReserve))
      return Fail(e, kFdiCorruptCabinet);
    uint32_t sum = Cab_Get32(head);
    unsigned cbData = Cab_Get16(head + 4), cbUncomp = Cab_Get16(head + 6);
    uint32_t dataAt = cab->in.pos;
    if (cbData > cab->in.limit - dataAt || cbUncomp > kMaxBlockOutput ||
        cbData > kMaxBlockInput - c->splitLen)
      return Fail(e, kFdiCorruptCabinet);
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
    if (!Input_Read(&cab->in, dst, cbData)) return Fail(e, kFdiCorruptCabinet);
    if (sum != 0 && Cab_BlockChecksum(dst, cbData, cbUncomp) != sum)
      return Fail(e, kFdiCorruptCabinet);
    if (cbUncomp == 0) {
      // The first part of a block split across cabinets: its other part
      // opens the folder's data in the next cabinet.
      if (c->blocksLeft != 0 || !FolderMayContinue(cab->header, cab->header.cFolders - 1))
        return Fail(e, kFdiCorruptCabinet);
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

// Writes the file's bytes [offset, offset + size) of folder `folder` of the
// listing cabinet to `hf`.
bool ExtractFile(TCopyJob* job, uint32_t folder, const TCabFile& f, intptr_t hf) {
  TEngine* e = job->e;
  TFolderCursor* c = &job->cursor;
  TCabinet* cab = job->list;
  if (f.cbFile == 0) return true;
  uint32_t key = FolderKey(cab, folder);
  // Folder 0 of a cabinet that goes on from the previous one starts in that
  // cabinet; its offsets cannot be reached from here.
  if (folder == 0 && cab->continuesFolder0 && !cab->enteredBySwitch)
    return Fail(e, kFdiWrongCabinet);
  if (!c->active || c->key != key || f.uoffFolderStart < c->outStart) {
    if (c->active && c->key == key && !c->rewindable) return Fail(e, kFdiCorruptCabinet);
    if (cab != job->input) return Fail(e, kFdiCorruptCabinet);
    if (!StartFolder(job, cab, folder)) return false;
  }
  uint64_t pos = f.uoffFolderStart;
  uint64_t end = pos + f.cbFile;
  while (pos < end) {
    uint64_t held = c->outStart + c->outLen;
    if (pos >= c->outStart && pos < held) {
      uint64_t k = (end < held ? end : held) - pos;
      unsigned done = e->write(hf, (void*)(c->outData + (pos - c->outStart)), (unsigned)k);
      if (done != (unsigned)k) return Fail(e, kFdiTargetFile);
      pos += k;
      continue;
    }
    if (!NextBlock(job, pos)) return false;
  }
  return true;
}

bool ProcessFile(TCopyJob* job, const TCabFile& f) {
  TEngine* e = job->e;
  TCabinet* cab = job->list;
  TFdiNotification n;
  memset(&n, 0, sizeof n);
  n.psz1 = f.name;
  n.setID = cab->header.setID;
  n.iCabinet = cab->header.iCabinet;
  n.iFolder = f.iFolder;
  if (IsContinuedFromPrev(f.iFolder)) {
    n.psz2 = cab->header.prevCabinet;
    n.psz3 = cab->header.prevDisk;
    if (Notify(job, kFdintPartialFile, &n) == -1) return Fail(e, kFdiUserAbort);
    return true;
  }
  n.cb = (int32_t)f.cbFile;
  n.date = f.date;
  n.time = f.time;
  n.attribs = f.attribs;
  intptr_t hf = Notify(job, kFdintCopyFile, &n);
  if (hf == -1) return Fail(e, kFdiUserAbort);
  if (hf == 0) return true;
  if (!ExtractFile(job, (uint32_t)ResolveFolder(cab->header, f.iFolder), f, hf)) {
    e->close(hf);
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
  intptr_t done = Notify(job, kFdintCloseFileInfo, &n);
  if (done == -1) return Fail(e, kFdiUserAbort);
  if (done == 0) return Fail(e, kFdiTargetFile);
  return true;
}

bool RunCopy(TCopyJob* job, const char* name, const char* folderPath) {
  TEngine* e = job->e;
  TCabinet* first = &job->cabs[0];
  int code = OpenCabinet(job, first, folderPath, name);
  if (code != kFdiNone) return Fail(e, code);
  job->list = job->input = first;
  if (!NotifyCabinetInfo(job, first)) return false;
  for (;;) {
    TCabinet* cab = job->list;
    for (uint32_t i = 0; i < cab->header.cFiles; ++i) {
      TCabFile f;
      size_t used;
      uint32_t at = cab->fileAt[i];
      Cab_ParseFile(cab->fileTable + at, cab->fileTableLen - at, &f, &used);
      // Files begun in the cabinet we came from were handled there.
      if (cab->enteredBySwitch && IsContinuedFromPrev(f.iFolder)) continue;
      if (!ProcessFile(job, f)) return false;
    }
    if (job->input == cab) return true;
    // The data ran on into later cabinets: their own files come next.
    CloseCabinet(e, cab);
    job->list = job->input;
  }
}

}  // namespace

TFdiContext Fdi_Create(FdiAlloc alloc, FdiFree release, FdiOpen open, FdiRead read,
                       FdiWrite write, FdiClose close, FdiSeek seek, int cpuType,
                       TFdiError* error) {
  if (!alloc || !release || !open || !read || !write || !close || !seek) {
    if (error) {
      error->oper = kFdiAllocFail;
      error->type = 0;
      error->flag = 1;
    }
    return nullptr;
  }
  TEngine* e = (TEngine*)alloc(sizeof(TEngine));
  if (e) {
    memset(e, 0, sizeof *e);
    e->alloc = alloc;
    e->release = release;
    e->open = open;
    e->read = read;
    e->write = write;
    e->close = close;
    e->seek = seek;
    e->error = error;
    e->inputBuffer = (uint8_t*)alloc(kInputBufferSize);
    e->blockIn = (uint8_t*)alloc(kMaxBlockInput);
    e->blockOut = (uint8_t*)alloc(kMaxBlockOutput);
    if (e->inputBuffer && e->blockIn && e->blockOut) return e;
    Fdi_Destroy(e);
  }
  if (error) {
    error->oper = kFdiAllocFail;
    error->type = 0;
    error->flag = 1;
  }
  return nullptr;
}

int Fdi_IsCabinet(TFdiContext context, intptr_t hf, TFdiCabinetInfo* info) {
  TEngine* e = (TEngine*)context;
  if (!e || !info) return 0;
  uint8_t fixed[kCabHeaderFixedSize];
  unsigned got = e->read(hf, fixed, kCabHeaderFixedSize);
  if (got != kCabHeaderFixedSize) return 0;
  TCabHeader h;
  switch (Cab_ParseFixedHeader(fixed, &h)) {
    case kCabOk: break;
    case kCabBadVersion: return Fail(e, kFdiUnknownCabinetVersion);
    case kCabNotCabinet: return 0;
    default: return Fail(e, kFdiCorruptCabinet);
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

int Fdi_Copy(TFdiContext context, char* cabinetName, char* cabinetPath, int flags,
             FdiNotify notify, FdiDecrypt decrypt, void* user) {
  TEngine* e = (TEngine*)context;
  if (!e) return 0;
  if (!cabinetName || !notify) return Fail(e, kFdiCabinetNotFound);
  // A notification that calls back into the same context would pull the
  // buffers from under the running copy.
  if (e->busy) return Fail(e, kFdiUserAbort);
  TCopyJob* job = (TCopyJob*)e->alloc(sizeof(TCopyJob));
  if (!job) return Fail(e, kFdiAllocFail);
  memset(job, 0, sizeof *job);
  job->e = e;
  job->notify = notify;
  job->user = user;
  e->busy = true;
  bool ok = RunCopy(job, cabinetName, cabinetPath ? cabinetPath : "");
  StopFolder(job);
  for (unsigned i = 0; i < kCabinetSlots; ++i) CloseCabinet(e, &job->cabs[i]);
  e->busy = false;
  e->release(job);
  return ok ? 1 : 0;
}

int Fdi_Destroy(TFdiContext context) {
  TEngine* e = (TEngine*)context;
  if (!e || e->busy) return 0;
  FdiFree release = e->release;
  if (e->inputBuffer) release(e->inputBuffer);
  if (e->blockIn) release(e->blockIn);
  if (e->blockOut) release(e->blockOut);
  release(e);
  return 1;
}
