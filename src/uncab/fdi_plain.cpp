// The FDI calls in the platform's shape, whose callbacks carry no context:
// the context the caller gets holds its callbacks, and the engine runs over
// small adapters that find them there. uncab.dll exports exactly these.
#include <string.h>

#include "uncab/fdi_io.h"

namespace {

struct TPlainFdi {
  FdiAlloc alloc;
  FdiFree release;
  FdiOpen open;
  FdiRead read;
  FdiWrite write;
  FdiClose close;
  FdiSeek seek;
  TFdiEngine* engine;
};

TPlainFdi* Plain(void* self) { return (TPlainFdi*)self; }

void* PlainAlloc(void* self, uint32_t cb) { return Plain(self)->alloc(cb); }
void PlainRelease(void* self, void* pv) { Plain(self)->release(pv); }
intptr_t PlainOpen(void* self, char* file, int oflag, int pmode) {
  return Plain(self)->open(file, oflag, pmode);
}
unsigned PlainRead(void* self, intptr_t hf, void* pv, unsigned cb) {
  return Plain(self)->read(hf, pv, cb);
}
unsigned PlainWrite(void* self, intptr_t hf, void* pv, unsigned cb) {
  return Plain(self)->write(hf, pv, cb);
}
int PlainClose(void* self, intptr_t hf) { return Plain(self)->close(hf); }
int32_t PlainSeek(void* self, intptr_t hf, int32_t dist, int seektype) {
  return Plain(self)->seek(hf, dist, seektype);
}

TFdiEngine* EngineOf(TFdiContext context) {
  return context ? ((TPlainFdi*)context)->engine : nullptr;
}

}  // namespace

TFdiContext Fdi_Create(FdiAlloc alloc, FdiFree release, FdiOpen open, FdiRead read,
                       FdiWrite write, FdiClose close, FdiSeek seek, int, TFdiError* error) {
  TPlainFdi* p = alloc && release ? (TPlainFdi*)alloc(sizeof(TPlainFdi)) : nullptr;
  TFdiIo io;
  memset(&io, 0, sizeof io);
  if (p) {
    p->alloc = alloc;
    p->release = release;
    p->open = open;
    p->read = read;
    p->write = write;
    p->close = close;
    p->seek = seek;
    // A missing callback stays missing, so that the engine can refuse the
    // call that needs it instead of calling through null.
    io.self = p;
    io.alloc = PlainAlloc;
    io.release = PlainRelease;
    io.open = open ? PlainOpen : nullptr;
    io.read = read ? PlainRead : nullptr;
    io.write = write ? PlainWrite : nullptr;
    io.close = close ? PlainClose : nullptr;
    io.seek = seek ? PlainSeek : nullptr;
  }
  // Without the wrapper the table is empty: the engine refuses it and fills
  // the error record.
  TFdiEngine* engine = FdiEngine_Create(&io, error);
  if (!engine) {
    if (p) release(p);
    return nullptr;
  }
  p->engine = engine;
  return p;
}

int Fdi_IsCabinet(TFdiContext context, intptr_t hf, TFdiCabinetInfo* info) {
  return FdiEngine_IsCabinet(EngineOf(context), hf, info);
}

int Fdi_Copy(TFdiContext context, char* cabinetName, char* cabinetPath, int, FdiNotify notify,
             FdiDecrypt, void* user) {
  return FdiEngine_Copy(EngineOf(context), cabinetName, cabinetPath, notify, user);
}

int Fdi_Destroy(TFdiContext context) {
  if (!FdiEngine_Destroy(EngineOf(context))) return 0;
  TPlainFdi* p = (TPlainFdi*)context;
  p->release(p);
  return 1;
}
