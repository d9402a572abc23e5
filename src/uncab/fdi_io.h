// The cabinet engine's own calling surface: the four FDI calls over one table
// of memory and file callbacks that all get the caller's context back. With
// it a caller keeps the state of its files in its own object, and the engine
// keeps none of its own outside the context it returns: two engines (two
// threads, or a tool reading two cabinets) never meet.
//
// fdi_types.h offers the same calls in the platform's shape (callbacks
// without a context), which uncab.dll exports; they run over this table.
#pragma once
#include <stdint.h>

#include "uncab/fdi_types.h"

struct TFdiIo {
  void* self;  // handed back as the first argument of every call below
  // Required.
  void* (*alloc)(void* self, uint32_t cb);
  void (*release)(void* self, void* pv);
  // Each may be null; a call that would need a missing one fails with an
  // error record instead: copying without open, read, seek or close fails
  // with kFdiCabinetNotFound before anything is opened; without write, the
  // first file whose bytes the caller asks for fails the copy with
  // kFdiTargetFile (its handle is closed); is-cabinet without read fails
  // with kFdiCabinetNotFound.
  intptr_t (*open)(void* self, char* file, int oflag, int pmode);
  unsigned (*read)(void* self, intptr_t hf, void* pv, unsigned cb);
  unsigned (*write)(void* self, intptr_t hf, void* pv, unsigned cb);
  int (*close)(void* self, intptr_t hf);
  // Only ever asked to seek from the start (0) or the current position (1).
  int32_t (*seek)(void* self, intptr_t hf, int32_t dist, int seektype);
};

struct TFdiEngine;

// Meanings as in fdi_types.h. The table is copied; `error` must outlive the
// engine. Null with `error` filled (kFdiAllocFail) when alloc or release is
// missing or memory runs out.
TFdiEngine* FdiEngine_Create(const TFdiIo* io, TFdiError* error);
int FdiEngine_IsCabinet(TFdiEngine* e, intptr_t hf, TFdiCabinetInfo* info);
int FdiEngine_Copy(TFdiEngine* e, char* cabinetName, char* cabinetPath, FdiNotify notify,
                   void* user);
int FdiEngine_Destroy(TFdiEngine* e);
