#include "cab_reader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/str.h"
#include "pack_fs.h"
#include "package/package_layout.h"
#include "package/scramble.h"
#include "name_rules.h"
#include "stub_patch.h"
#include "uncab/fdi_io.h"

namespace {

// A read-only view of the cabinet: positions relative to its start, the
// first 128 bytes descrambled on the way in.
struct TCabinetView {
  TFile file;
  uint64_t base = 0, length = 0, pos = 0;
  uint64_t filePos = UINT64_MAX;  // where the file stands; a seek only when it must move
  bool scrambled = false;
};

struct TOutputFile {
  TFile file;
  std::string path;  // "": a test, the bytes are only counted
  uint64_t written = 0;
  bool failed = false;
};

struct THandleSlot {
  std::unique_ptr<TCabinetView> cabinet;
  std::unique_ptr<TOutputFile> output;
};

struct TSession {
  const TCabLocation* where = nullptr;
  std::string folder;  // "": listing only
  bool test = false;   // decode every file, write nothing
  std::vector<std::string> only;  // upper-cased names wanted; empty: all
  std::vector<THandleSlot> handles;  // handle h is slot h - 1
  std::vector<TListedFile>* entries = nullptr;
  std::string error;  // the first failure of our own, for the message
  intptr_t current = 0;  // the output handle being written, 0 for none
  TListedFile currentEntry;
};

// The engine hands every callback the session it runs for.
TSession& SessionOf(void* self) { return *static_cast<TSession*>(self); }

THandleSlot* Slot(TSession& session, intptr_t h) {
  if (h <= 0 || (size_t)h > session.handles.size()) return nullptr;
  THandleSlot* s = &session.handles[h - 1];
  return s->cabinet || s->output ? s : nullptr;
}

// Handles are never reused: a late close from the engine must not reach a
// file opened after it.
intptr_t NewHandle(TSession& session, THandleSlot&& slot) {
  session.handles.push_back(std::move(slot));
  return intptr_t(session.handles.size());
}

void* Alloc(void*, uint32_t cb) { return std::malloc(cb ? cb : 1); }
void Release(void*, void* p) { std::free(p); }

// The engine only ever opens the cabinet it was given: whatever name it
// builds from the name and folder passed in, this opens that cabinet's view.
intptr_t Open(void* self, char*, int, int) {
  TSession& session = SessionOf(self);
  std::unique_ptr<TCabinetView> v(new TCabinetView);
  std::string why;
  uint64_t size = 0;
  if (!v->file.OpenRead(session.where->path, &why) || !v->file.Size(&size, &why)) {
    if (session.error.empty()) session.error = session.where->path + ": " + why;
    return -1;
  }
  v->base = session.where->offset;
  v->length = size > v->base ? size - v->base : 0;
  v->scrambled = session.where->scrambled;
  THandleSlot slot;
  slot.cabinet = std::move(v);
  return NewHandle(session, std::move(slot));
}

unsigned Read(void* self, intptr_t h, void* buffer, unsigned cb) {
  THandleSlot* s = Slot(SessionOf(self), h);
  if (!s || !s->cabinet) return unsigned(-1);
  TCabinetView& v = *s->cabinet;
  uint64_t n = v.pos < v.length ? std::min<uint64_t>(cb, v.length - v.pos) : 0;
  if (n == 0) return 0;
  std::string why;
  if (v.filePos != v.base + v.pos) {
    if (!v.file.Seek(v.base + v.pos, &why)) return unsigned(-1);
    v.filePos = v.base + v.pos;
  }
  size_t got = v.file.Read(buffer, (size_t)n);
  if (!v.file.ok()) return unsigned(-1);
  v.filePos += got;
  if (v.scrambled) XorCabinetHeadAt((unsigned char*)buffer, got, (size_t)std::min<uint64_t>(v.pos, kScrambledHead));
  v.pos += got;
  return unsigned(got);
}

unsigned Write(void* self, intptr_t h, void* buffer, unsigned cb) {
  TSession& session = SessionOf(self);
  THandleSlot* s = Slot(session, h);
  if (!s || !s->output) return unsigned(-1);
  std::string why;
  s->output->written += cb;
  if (s->output->path.empty()) return cb;
  if (!s->output->file.Write(buffer, cb, &why)) {
    s->output->failed = true;
    if (session.error.empty()) session.error = "cannot write " + s->output->path + ": " + why;
    return unsigned(-1);
  }
  return cb;
}

int Close(void* self, intptr_t h) {
  THandleSlot* s = Slot(SessionOf(self), h);
  if (!s) return -1;
  if (s->output) {
    // The engine closes an output itself only when it gives up on it: what
    // was written is not the whole file.
    std::string why;
    s->output->file.Close(&why);
    if (!s->output->path.empty()) Fs_Remove(s->output->path);
  }
  s->cabinet.reset();
  s->output.reset();
  return 0;
}

int32_t Seek(void* self, intptr_t h, int32_t dist, int type) {
  THandleSlot* s = Slot(SessionOf(self), h);
  if (!s || !s->cabinet) return -1;
  TCabinetView& v = *s->cabinet;
  // Positions stay inside the cabinet, as a window onto a larger file must.
  int64_t from = type == 0 ? 0 : type == 1 ? int64_t(v.pos) : int64_t(v.length);
  int64_t to = from + dist;
  if (to < 0) to = 0;
  if (to > int64_t(v.length)) to = int64_t(v.length);
  v.pos = uint64_t(to);
  return int32_t(v.pos);
}

// Makes every folder on the way to `relative` under `root`.
bool MakeFoldersFor(const std::string& root, const std::string& relative, std::string* error) {
  std::string path = root;
  size_t start = 0;
  for (size_t i = 0; i < relative.size(); i++) {
    if (relative[i] != '\\' && relative[i] != '/') continue;
    if (i > start) {
      path = Fs_Join(path, relative.substr(start, i - start));
      std::string why;
      if (!Fs_MakeFolder(path, &why)) {
        *error = path + ": cannot create the folder (" + why + "); choose another target folder";
        return false;
      }
    }
    start = i + 1;
  }
  return true;
}

// Makes `folder` and any missing folder above it.
bool MakeFolderPath(const std::string& folder, std::string* error) {
  std::string why;
  for (size_t i = 1; i < folder.size(); i++) {
    bool separator = folder[i] == Fs_Separator() || folder[i] == '/';
    // Folders above may exist already or be out of reach; only the target counts.
    if (separator && folder[i - 1] != ':') Fs_MakeFolder(folder.substr(0, i), &why);
  }
  if (!Fs_MakeFolder(folder, &why)) {
    *error = folder + ": cannot create the folder (" + why + "); choose another target folder";
    return false;
  }
  return true;
}

std::string LocalPath(const std::string& root, const std::string& stored) {
  std::string rel = stored;
  for (char& c : rel)
    if (c == '\\' || c == '/') c = Fs_Separator();
  return Fs_Join(root, rel);
}

void FinishOutput(TSession& session, intptr_t h, const TListedFile& entry) {
  THandleSlot* s = Slot(session, h);
  if (!s || !s->output) return;
  TOutputFile& out = *s->output;
  std::string why;
  if (out.path.empty()) {
    // A test: the engine checked every block; the length must match too.
    if (out.written != entry.size && session.error.empty())
      session.error = entry.name + ": " + std::to_string(out.written) + " bytes decoded, " +
                         std::to_string(entry.size) + " expected";
    else
      session.entries->push_back(entry);
    s->output.reset();
    return;
  }
  if (!out.file.Close(&why)) {
    out.failed = true;
    if (session.error.empty()) session.error = "cannot write " + out.path + ": " + why;
  } else if (!Fs_SetStoredFacts(out.path, entry.date, entry.time, entry.attribs, &why)) {
    // The bytes are there; a time stamp the system refuses is no reason to
    // lose them, but it is reported.
    if (session.error.empty()) session.error = out.path + ": cannot set its time or attributes: " + why;
  }
  if (!out.failed) session.entries->push_back(entry);
  else Fs_Remove(out.path);
  s->output.reset();
}

intptr_t FDI_CALL Notify(int type, TFdiNotification* n) {
  TSession& s = SessionOf(n->pv);
  switch (type) {
    case kFdintCopyFile: {
      TListedFile e;
      e.name = n->psz1 ? n->psz1 : "";
      e.size = uint32_t(n->cb);
      e.date = n->date;
      e.time = n->time;
      e.attribs = n->attribs;
      if (s.test) {
        THandleSlot slot;
        slot.output.reset(new TOutputFile);
        s.current = NewHandle(s, std::move(slot));
        s.currentEntry = e;
        return s.current;
      }
      if (s.folder.empty()) {
        s.entries->push_back(e);
        return 0;
      }
      if (!s.only.empty() &&
          std::find(s.only.begin(), s.only.end(), Stored_Upper(e.name)) == s.only.end())
        return 0;
      // Checked again here: the listing pass vouched for the same cabinet, but
      // a file may have been swapped in between.
      std::string unsafe = Stored_UnsafeReason(e.name);
      if (!unsafe.empty()) {
        s.error = "refusing to extract \"" + e.name + "\": " + unsafe;
        return -1;
      }
      std::string path = LocalPath(s.folder, e.name);
      if (!MakeFoldersFor(s.folder, e.name, &s.error)) return -1;
      std::unique_ptr<TOutputFile> out(new TOutputFile);
      out->path = path;
      std::string why;
      if (!out->file.OpenWrite(path, &why)) {
        s.error = path + ": cannot create the file: " + why;
        return -1;
      }
      THandleSlot slot;
      slot.output = std::move(out);
      s.current = NewHandle(s, std::move(slot));
      s.currentEntry = e;
      return s.current;
    }
    case kFdintCloseFileInfo:
      FinishOutput(s, n->hf, s.currentEntry);
      s.current = 0;
      return 1;
    case kFdintNextCabinet:
      if (s.error.empty())
        s.error = std::string("the cabinet continues in another one (") + (n->psz1 ? n->psz1 : "?") +
                  "); cabinet sets are not supported";
      return -1;
    default:
      return 0;
  }
}

std::string EngineText(int oper) {
  switch (oper) {
    case kFdiCabinetNotFound: return "the cabinet cannot be opened";
    case kFdiNotACabinet: return "it is not a cabinet";
    case kFdiUnknownCabinetVersion: return "the cabinet has a version this reader does not know";
    case kFdiCorruptCabinet: return "the cabinet is damaged";
    case kFdiAllocFail: return "out of memory";
    case kFdiBadComprType: return "the cabinet uses a compression type this reader does not know";
    case kFdiMdiFail: return "the compressed data is damaged";
    case kFdiTargetFile: return "a file could not be written";
    case kFdiReserveMismatch: return "the cabinet's reserved areas do not match";
    case kFdiWrongCabinet: return "the cabinet belongs to another set";
    case kFdiUserAbort: return "stopped";
    default: return "the engine failed (code " + std::to_string(oper) + ")";
  }
}

// What the user can do about an engine failure.
std::string EngineAdvice(int oper) {
  switch (oper) {
    case kFdiCorruptCabinet:
    case kFdiMdiFail:
    case kFdiNotACabinet:
      return "; copy or build the package again";
    case kFdiAllocFail: return "; close other programs and try again";
    case kFdiTargetFile: return "; check the target folder's free space and permissions";
    default: return "";
  }
}

bool RunCopy(TSession& s, std::string* error) {
  TFdiError err = {0, 0, 0};
  TFdiIo io = {&s, Alloc, Release, Open, Read, Write, Close, Seek};
  TFdiEngine* engine = FdiEngine_Create(&io, &err);
  bool ok = engine != nullptr;
  if (ok) {
    std::string name = Fs_BaseName(s.where->path), folder = Fs_FolderOf(s.where->path);
    ok = FdiEngine_Copy(engine, &name[0], &folder[0], Notify, &s) != 0;
    FdiEngine_Destroy(engine);
  }
  // Whatever the engine left open goes; a file it did not finish is removed.
  if (s.current) {
    THandleSlot* slot = Slot(s, s.current);
    if (slot && slot->output) {
      std::string ignored;
      slot->output->file.Close(&ignored);
      if (!slot->output->path.empty()) Fs_Remove(slot->output->path);
    }
  }
  std::string what = s.where->path + (s.where->offset ? " (cabinet at byte " + std::to_string(s.where->offset) + ")" : "");
  if (!s.error.empty()) {
    *error = s.error;
    return false;
  }
  if (!ok) {
    // A failure inside a file's data names the file.
    std::string file = s.current ? s.currentEntry.name + ": " : "";
    *error = what + ": " + file + EngineText(err.oper) + EngineAdvice(err.oper);
    return false;
  }
  return true;
}

bool HeadIsCabinet(const uint8_t* p, size_t n, bool scrambled) {
  if (n < 4) return false;
  uint8_t b[4] = {p[0], p[1], p[2], p[3]};
  if (scrambled) XorCabinetHead(b, 4);
  return std::memcmp(b, "MSCF", 4) == 0;
}

bool IsAbsolute(const std::string& p) {
  if (p.empty()) return false;
  if (p[0] == '/' || p[0] == '\\') return true;
  return Fs_Separator() == '\\' && p.size() > 1 && p[1] == ':';
}

}  // namespace

bool Reader_Locate(const std::string& path, TCabLocation* where, std::string* error) {
  *where = TCabLocation();
  where->path = path;
  TFile f;
  std::string why;
  uint64_t size = 0;
  if (!f.OpenRead(path, &why) || !f.Size(&size, &why) || !f.Seek(0, &why)) {
    *error = path + ": cannot read it (" + why + "); check the name and that you may read it";
    return false;
  }
  // The program image with its version resource lies well within this much
  // of a package's start.
  std::vector<uint8_t> head((size_t)std::min<uint64_t>(size, 4u << 20));
  if (f.Read(head.data(), head.size()) != head.size()) {
    *error = path + ": cannot read it (" + (f.ok() ? "it became shorter" : f.lastError()) + "); try again once nothing writes to it";
    return false;
  }
  if (HeadIsCabinet(head.data(), head.size(), false)) return true;
  if (HeadIsCabinet(head.data(), head.size(), true)) {
    where->scrambled = true;
    return true;
  }
  std::string kestin, cabnam;
  if (!ReadFirstVersionValue(head, "kestin", &kestin) || !ReadFirstVersionValue(head, "cabnam", &cabnam)) {
    *error = path + ": is neither a Kestin package nor a cabinet; give a setup program made by kestin-pack build, or a .cab file";
    return false;
  }
  where->isPackage = true;
  where->scrambled = true;
  TPackagePlace place = PlacePackage(path.c_str(), cabnam.c_str(), kestin.c_str());
  std::string cabinetName(place.cabinetPath.c_str(), place.cabinetPath.size());
  if (cabinetName.empty()) {
    *error = path + ": the package does not say where its cabinet is; build it again with kestin-pack build";
    return false;
  }
  if (place.cabinetOffset == 0) {
    for (char& c : cabinetName)
      if (c == '\\' || c == '/') c = Fs_Separator();
    where->path = IsAbsolute(cabinetName) ? cabinetName : Fs_FolderOf(path) + cabinetName;
    where->offset = 0;
    TFile cf;
    uint8_t b[4];
    if (!cf.OpenRead(where->path, &why)) {
      *error = path + ": its cabinet " + where->path + " cannot be read (" + why + "); put the cabinet file beside the package, as it was built";
      return false;
    }
    if (cf.Read(b, 4) != 4 || !HeadIsCabinet(b, 4, true)) {
      *error = path + ": its cabinet " + where->path + " is not the package's cabinet; copy the cabinet that was built with it";
      return false;
    }
    return true;
  }
  where->offset = (uint64_t)place.cabinetOffset;
  uint8_t b[4];
  if (where->offset + 4 > size || !f.Seek(where->offset, &why) || f.Read(b, 4) != 4 ||
      !HeadIsCabinet(b, 4, true)) {
    *error = path + ": no cabinet where the package says it starts (byte " +
             std::to_string(where->offset) + "); the package is cut short or damaged: copy or build it again";
    return false;
  }
  return true;
}

namespace {

struct THeaderFacts {
  uint32_t declaredSize = 0;  // cbCabinet
  uint16_t folders = 0, files = 0;
  uint64_t available = 0;     // bytes from the cabinet's start to the end of its file
};

bool ReadHeaderFacts(const TCabLocation& where, THeaderFacts* facts) {
  TFile f;
  std::string why;
  uint64_t size = 0;
  uint8_t h[36];
  if (!f.OpenRead(where.path, &why) || !f.Size(&size, &why) || size < where.offset + sizeof h ||
      !f.Seek(where.offset, &why) || f.Read(h, sizeof h) != sizeof h)
    return false;
  if (where.scrambled) XorCabinetHead(h, sizeof h);
  facts->declaredSize = uint32_t(h[8] | h[9] << 8 | h[10] << 16 | uint32_t(h[11]) << 24);
  facts->folders = uint16_t(h[26] | h[27] << 8);
  facts->files = uint16_t(h[28] | h[29] << 8);
  facts->available = size - where.offset;
  return true;
}

// Says "truncated" when the cabinet is shorter than its header declares: the
// likely cause of a failure, and one the user can act on.
void ExplainShortCabinet(const TCabLocation& where, std::string* error) {
  THeaderFacts h;
  if (!ReadHeaderFacts(where, &h) || h.available >= h.declaredSize) return;
  *error = where.path + ": truncated: the cabinet declares " + std::to_string(h.declaredSize) +
           " bytes but only " + std::to_string(h.available) +
           " are there; copy or download the package again (" + *error + ")";
}

// extract and test refuse a cabinet without files or folders: it is damaged
// or not one a builder would write.
bool HasContent(const TCabLocation& where, std::string* error) {
  THeaderFacts h;
  if (!ReadHeaderFacts(where, &h)) return true;  // the engine says what is wrong
  if (h.files && h.folders) return true;
  *error = where.path + ": the cabinet declares no " + (h.files ? "folders" : "files") +
           "; it is damaged or empty: build it again";
  return false;
}

}  // namespace

bool Reader_List(const TCabLocation& where, std::vector<TListedFile>* entries, std::string* error) {
  entries->clear();
  TSession s;
  s.where = &where;
  s.entries = entries;
  if (RunCopy(s, error)) return true;
  ExplainShortCabinet(where, error);
  return false;
}

bool Reader_Test(const TCabLocation& where, std::vector<TListedFile>* tested, std::string* error) {
  tested->clear();
  if (!HasContent(where, error)) return false;
  std::vector<TListedFile> listed;
  if (!Reader_List(where, &listed, error)) return false;
  TSession s;
  s.where = &where;
  s.test = true;
  s.entries = tested;
  bool ok = RunCopy(s, error);
  if (ok && tested->size() != listed.size()) {
    *error = where.path + ": " + std::to_string(listed.size()) + " files listed but " +
             std::to_string(tested->size()) + " decoded; the cabinet is damaged: copy or build it again";
    ok = false;
  }
  if (!ok) ExplainShortCabinet(where, error);
  return ok;
}

bool Reader_Extract(const TCabLocation& where, const std::string& folder,
                    const std::vector<std::string>& only, std::vector<TListedFile>* extracted,
                    std::string* error) {
  if (!HasContent(where, error)) return false;
  std::vector<TListedFile> listed;
  if (!Reader_List(where, &listed, error)) return false;
  for (const TListedFile& e : listed) {
    std::string unsafe = Stored_UnsafeReason(e.name);
    if (!unsafe.empty()) {
      *error = "refusing to extract \"" + e.name + "\": " + unsafe + "; nothing was extracted";
      return false;
    }
  }
  std::vector<std::string> wanted;
  for (std::string name : only) {
    for (char& c : name)
      if (c == '/') c = '\\';
    wanted.push_back(Stored_Upper(name));
  }
  size_t expected = 0;
  for (const TListedFile& e : listed)
    if (wanted.empty() || std::find(wanted.begin(), wanted.end(), Stored_Upper(e.name)) != wanted.end())
      expected++;
  for (size_t i = 0; i < wanted.size(); i++) {
    bool found = std::any_of(listed.begin(), listed.end(),
                             [&](const TListedFile& e) { return Stored_Upper(e.name) == wanted[i]; });
    if (!found) {
      *error = where.path + ": has no file " + only[i] + "; kestin-pack list " + where.path + " shows the names it holds";
      return false;
    }
  }
  if (!MakeFolderPath(folder, error)) return false;
  extracted->clear();
  TSession s;
  s.where = &where;
  s.folder = folder;
  s.only = wanted;
  s.entries = extracted;
  if (!RunCopy(s, error)) return false;
  if (extracted->size() != expected) {
    *error = where.path + ": " + std::to_string(expected) + " files listed but " +
             std::to_string(extracted->size()) + " extracted";
    return false;
  }
  return true;
}
