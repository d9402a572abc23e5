// In-memory FDI callbacks for the engine tests: a small "disk" of named byte
// vectors, output captured per handle, I/O counted, failures injectable, and a
// recorder for notifications whose answers a test scripts.
#pragma once
#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "uncab/fdi_io.h"

namespace memfdi {

struct OpenFile {
  std::string name;
  size_t pos = 0;
  bool output = false;
};

struct Disk {
  std::map<std::string, std::vector<uint8_t>> files;     // cabinets by full path
  std::map<intptr_t, OpenFile> open;
  std::map<intptr_t, std::vector<uint8_t>> written;     // output by handle
  std::map<intptr_t, bool> closed;
  intptr_t nextHandle = 100;
  // Counters.
  size_t readCalls = 0, bytesRead = 0, seekCalls = 0, writeCalls = 0, openCalls = 0;
  size_t allocs = 0, frees = 0;
  std::vector<std::string> opened;  // names given to open, in order
  std::vector<int> openFlags, openModes;
  std::vector<int> seekOrigins;
  // Injected failures.
  size_t writeLimit = SIZE_MAX;  // total bytes a write may take before writes come up short
  bool failAlloc = false;
  size_t allocFailAfter = SIZE_MAX;  // allocations that succeed before they fail
  bool seekFromEndFails = false;     // a seek callback that knows only start and current
};

inline Disk*& Current() {
  static Disk* disk = nullptr;
  return disk;
}

// The callbacks over one disk. The engine's own table (DiskIo) hands the disk
// back as its context; the platform-shaped ones below find it through
// Current(), as a caller of the DLL would have to.
inline void* DiskAlloc(Disk* d, uint32_t cb) {
  if (d->allocs >= d->allocFailAfter) return nullptr;
  ++d->allocs;
  return malloc(cb ? cb : 1);
}
inline void DiskFree(Disk* d, void* p) {
  ++d->frees;
  free(p);
}
inline intptr_t DiskOpen(Disk* d, char* name, int flags, int mode) {
  ++d->openCalls;
  d->opened.push_back(name);
  d->openFlags.push_back(flags);
  d->openModes.push_back(mode);
  if (!d->files.count(name)) return -1;
  intptr_t h = d->nextHandle++;
  d->open[h] = OpenFile{name, 0, false};
  return h;
}
inline unsigned DiskRead(Disk* d, intptr_t hf, void* pv, unsigned cb) {
  ++d->readCalls;
  auto it = d->open.find(hf);
  if (it == d->open.end()) return (unsigned)-1;
  const std::vector<uint8_t>& bytes = d->files[it->second.name];
  size_t pos = it->second.pos;
  size_t n = pos >= bytes.size() ? 0 : std::min<size_t>(cb, bytes.size() - pos);
  if (n) memcpy(pv, bytes.data() + pos, n);
  it->second.pos += n;
  d->bytesRead += n;
  return (unsigned)n;
}
inline unsigned DiskWrite(Disk* d, intptr_t hf, void* pv, unsigned cb) {
  ++d->writeCalls;
  size_t total = 0;
  for (auto& w : d->written) total += w.second.size();
  unsigned n = cb;
  if (total + cb > d->writeLimit) n = (unsigned)(d->writeLimit - total);
  auto& out = d->written[hf];
  out.insert(out.end(), (uint8_t*)pv, (uint8_t*)pv + n);
  return n;
}
inline int DiskClose(Disk* d, intptr_t hf) {
  d->closed[hf] = true;
  d->open.erase(hf);
  return 0;
}
inline int32_t DiskSeek(Disk* d, intptr_t hf, int32_t dist, int type) {
  ++d->seekCalls;
  d->seekOrigins.push_back(type);
  auto it = d->open.find(hf);
  if (it == d->open.end() || (type == 2 && d->seekFromEndFails)) return -1;
  int64_t size = (int64_t)d->files[it->second.name].size();
  int64_t base = type == 0 ? 0 : type == 1 ? (int64_t)it->second.pos : size;
  int64_t pos = base + dist;
  if (pos < 0) return -1;
  it->second.pos = (size_t)pos;
  return (int32_t)pos;
}

inline TFdiIo DiskIo(Disk* d) {
  TFdiIo io;
  io.self = d;
  io.alloc = [](void* self, uint32_t cb) { return DiskAlloc((Disk*)self, cb); };
  io.release = [](void* self, void* p) { DiskFree((Disk*)self, p); };
  io.open = [](void* self, char* name, int flags, int mode) { return DiskOpen((Disk*)self, name, flags, mode); };
  io.read = [](void* self, intptr_t hf, void* pv, unsigned cb) { return DiskRead((Disk*)self, hf, pv, cb); };
  io.write = [](void* self, intptr_t hf, void* pv, unsigned cb) { return DiskWrite((Disk*)self, hf, pv, cb); };
  io.close = [](void* self, intptr_t hf) { return DiskClose((Disk*)self, hf); };
  io.seek = [](void* self, intptr_t hf, int32_t dist, int type) { return DiskSeek((Disk*)self, hf, dist, type); };
  return io;
}

inline void* FDI_CALL Alloc(uint32_t cb) { return DiskAlloc(Current(), cb); }
inline void FDI_CALL Free(void* p) { DiskFree(Current(), p); }
inline intptr_t FDI_CALL Open(char* name, int flags, int mode) { return DiskOpen(Current(), name, flags, mode); }
inline unsigned FDI_CALL Read(intptr_t hf, void* pv, unsigned cb) { return DiskRead(Current(), hf, pv, cb); }
inline unsigned FDI_CALL Write(intptr_t hf, void* pv, unsigned cb) { return DiskWrite(Current(), hf, pv, cb); }
inline int FDI_CALL Close(intptr_t hf) { return DiskClose(Current(), hf); }
inline int32_t FDI_CALL Seek(intptr_t hf, int32_t dist, int type) { return DiskSeek(Current(), hf, dist, type); }

// One notification as the engine sent it, strings copied.
struct Event {
  int type;
  std::string psz1, psz2, psz3;
  int32_t cb;
  intptr_t hf;
  uint16_t date, time, attribs, setID, iCabinet, iFolder;
  int fdie;
  void* pv;
};

struct Recorder {
  std::vector<Event> events;
  // Answers by type; the default extracts every file into a fresh handle.
  std::function<intptr_t(const Event&, TFdiNotification*)> answer;
  intptr_t nextOutput = 5000;
  Disk* disk = nullptr;  // where outputs are closed; null: the current disk
  std::map<std::string, intptr_t> handleOf;  // file name -> handle it was given

  std::vector<const Event*> OfType(int type) const {
    std::vector<const Event*> r;
    for (auto& e : events)
      if (e.type == type) r.push_back(&e);
    return r;
  }
};

inline intptr_t FDI_CALL Notify(int type, TFdiNotification* n) {
  Recorder* r = (Recorder*)n->pv;
  Event e{type, n->psz1 ? n->psz1 : "", n->psz2 ? n->psz2 : "", n->psz3 ? n->psz3 : "",
          n->cb, n->hf, n->date, n->time, n->attribs, n->setID, n->iCabinet, n->iFolder,
          n->fdie, n->pv};
  r->events.push_back(e);
  if (r->answer) {
    intptr_t a = r->answer(e, n);
    if (type == kFdintCopyFile && a != 0 && a != -1) r->handleOf[e.psz1] = a;
    return a;
  }
  switch (type) {
    case kFdintCopyFile: {
      intptr_t h = r->nextOutput++;
      r->handleOf[e.psz1] = h;
      return h;
    }
    case kFdintCloseFileInfo:
      if (r->disk)
        DiskClose(r->disk, n->hf);
      else
        Close(n->hf);
      return 1;
    case kFdintNextCabinet:
      return 1;
    default:
      return 0;
  }
}

// A disk made current for the lifetime of the object, and an engine over it.
struct Session {
  Disk disk;
  TFdiError error{};
  TFdiContext fdi = nullptr;
  Disk* outer;  // a session this one is nested in
  Session() : outer(Current()) {
    Current() = &disk;
    fdi = Fdi_Create(Alloc, Free, Open, Read, Write, Close, Seek, -1, &error);
  }
  ~Session() {
    Current() = &disk;
    if (fdi) Fdi_Destroy(fdi);
    Current() = outer;
  }
  void Put(const std::string& path, std::vector<uint8_t> bytes) { disk.files[path] = std::move(bytes); }
  int Copy(const std::string& name, const std::string& folder, Recorder* r) {
    Current() = &disk;
    std::vector<char> n(name.begin(), name.end()), f(folder.begin(), folder.end());
    n.push_back(0);
    f.push_back(0);
    return Fdi_Copy(fdi, n.data(), f.data(), 0, Notify, nullptr, r);
  }
  // Output of the file that was extracted under `name`.
  std::vector<uint8_t> Output(const Recorder& r, const std::string& name) {
    auto it = r.handleOf.find(name);
    if (it == r.handleOf.end()) return {};
    return disk.written[it->second];
  }
};

}  // namespace memfdi
