// Inside the FDI engine: the state of one context and of one Fdi_Copy call,
// shared by the code that opens cabinets (cab_open.cpp), reads folders
// (folder_reader.cpp) and drives the copy (fdi_engine.cpp). Not for callers.
#pragma once
#include <stdint.h>

#include "uncab/cab_format.h"
#include "uncab/cab_input.h"
#include "uncab/decoders.h"
#include "uncab/fdi_io.h"

const unsigned kInputBufferSize = 8192;
const unsigned kMaxPath = kFdiMaxPath;  // longest cabinet folder or name the caller may give
const unsigned kCabinetSlots = 3;

// What a kept folder must find again to be taken up: the same cabinet file
// with the same header and the same folder.
struct TFolderCursor;

struct TCabIdentity {
  char path[2 * kMaxPath];
  uint32_t cbCabinet, coffFiles, folderStart;
  uint16_t cFolders, cFiles, setID, iCabinet, folder, type;
};

// Everything an engine keeps lives here, reached from the context pointer the
// caller holds: the engine has no state of its own outside it.
struct TFdiEngine {
  TFdiIo io;
  TDecoderMemory decoderMemory;  // over io.alloc and io.release, self = this engine
  TFdiError* error;
  uint8_t* inputBuffer;  // kInputBufferSize; only the cabinet being read uses it
  uint8_t* blockIn;      // compressed block, split parts joined
  uint8_t* blockOut;     // decoded block
  bool busy;
  // The folder the last successful call left part-read. The setup program
  // asks for one file per call, in cabinet order as a rule: going on from
  // here spares decoding the folder from its start again for every file.
  TFolderCursor* kept;  // null when none
  TCabIdentity keptFrom;
};

struct TCabinet {
  bool open;
  intptr_t hf;
  TCabSource in;
  TCabHeader header;
  TCabFolder* folders;
  uint8_t* fileTable;  // the CFFILE records as stored
  uint32_t fileTableLen;
  uint32_t* fileAt;    // offset of each record in fileTable
  char folderPath[kMaxPath];
  char fullPath[2 * kMaxPath];
  bool enteredBySwitch;   // opened to continue a folder of the previous cabinet
  bool continuesFolder0;  // it lists files begun in the previous cabinet
  uint32_t folder0Key;    // chain key of folder 0
  uint32_t generation;
};

// Where decoding of one folder stands. A folder that spans cabinets is one
// chain; its uncompressed offsets run on across the cabinets.
struct TFolderCursor {
  bool active;
  uint32_t key;        // which folder chain (see Cabinet_FolderKey)
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
  TFdiEngine* e;
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

// Records the failure in the caller's error record; returns false.
bool Engine_Fail(TFdiEngine* e, int code, int type = 0);
void* Engine_Allocate(TFdiEngine* e, uint32_t size);  // 0 bytes gives null
void Engine_Release(TFdiEngine* e, void* p);           // null is fine
inline void Engine_Close(TFdiEngine* e, intptr_t hf) { e->io.close(e->io.self, hf); }

// Opens `folderPath` + `name` into `cab` and reads and checks its header,
// folders and file table. Returns an FdiError code; `cab` is to be closed
// with Cabinet_Close whatever the result.
int Cabinet_Open(TCopyJob* job, TCabinet* cab, const char* folderPath, const char* name);
void Cabinet_Close(TFdiEngine* e, TCabinet* cab);
TCabinet* Cabinet_FreeSlot(TCopyJob* job);
// The folder a file's data lives in, continuation markers resolved; -1 when
// the index names no folder of this cabinet.
int Cabinet_ResolveFolder(const TCabHeader& h, uint16_t iFolder);
bool Cabinet_IsContinuedFromPrev(uint16_t iFolder);
// A folder may run on into the next cabinet only when it is the last one and
// the cabinet has a successor.
bool Cabinet_FolderMayContinue(const TCabHeader& h, uint32_t folder);
// Identifies a folder chain: folder 0 of a cabinet entered to continue a
// folder carries that folder's key.
uint32_t Cabinet_FolderKey(const TCabinet* cab, uint32_t folder);

// Writes bytes [uoffFolderStart, + cbFile) of `folder` of the listing cabinet
// to `hf`, decoding only as far as needed.
bool Folder_Extract(TCopyJob* job, uint32_t folder, const TCabFile& f, intptr_t hf);
// Ends decoding of the current folder and frees its decoder.
void Folder_Stop(TCopyJob* job);
// After a successful call: keeps the current folder in the engine for the
// next call, when it lies in a single cabinet; otherwise ends it.
void Folder_Keep(TCopyJob* job);
// Takes up the folder the previous call kept when `cab` is the same cabinet;
// forgets it otherwise.
void Folder_Resume(TCopyJob* job, TCabinet* cab);
void Folder_Forget(TFdiEngine* e);

intptr_t Copy_Notify(TCopyJob* job, int type, TFdiNotification* n);
bool Copy_NotifyCabinetInfo(TCopyJob* job, TCabinet* cab);
