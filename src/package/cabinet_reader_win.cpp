#include <windows.h>
#include <stdlib.h>

#include "base/code_page_text.h"
#include "base/files.h"
#include "package/cabinet_reader.h"
#include "package/helper_library.h"
#include "package/package_error.h"
#include "package/stored_name.h"

// A cabinet set longer than this is taken to be going round in a circle.
static const int kMaxCabinetsInSet = 32;
static const unsigned kKeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// --- Run-time binding of the helper library: each call looks its export up
// when it is made; no library or no export means the call does nothing.

typedef TFdiContext(FDI_CALL* FdiCreateFn)(FdiAlloc, FdiFree, FdiOpen, FdiRead, FdiWrite, FdiClose,
                                           FdiSeek, int, TFdiError*);
typedef int(FDI_CALL* FdiCopyFn)(TFdiContext, char*, char*, int, FdiNotify, FdiDecrypt, void*);
typedef int(FDI_CALL* FdiDestroyFn)(TFdiContext);

static FARPROC HelperExport(const char* name) {
  HMODULE library = (HMODULE)HelperLibraryHandle();
  return library ? GetProcAddress(library, name) : nullptr;
}

// --- Callbacks given to the library.

static void* FDI_CALL CbAlloc(uint32_t size) { return malloc(size ? size : 1); }
static void FDI_CALL CbFree(void* block) { free(block); }

namespace {

// The file callbacks of one reader. The library's file callbacks carry no
// context of their own (only the notifications do), so every live context
// is made with a set of callbacks of its own, chosen from a small fixed
// table; each set knows its reader by its place in the table. The wizard and
// the install worker may read at the same time, each through its own set.
// Nothing is generated at run time: the sets are ordinary compiled functions.

const int kCallbackSets = 4;
TCabinetReader* volatile g_boundReaders[kCallbackSets];

intptr_t OpenFor(TCabinetReader* reader, char* name, int flags, int mode) {
  if (!reader) return kFailedHandle;
  int error = 0;
  intptr_t h = reader->Handler->Open(name, flags, kOpenCabinet, &error, mode);
  if (error) reader->LastIoError = error;
  return h;
}

unsigned WriteFor(TCabinetReader* reader, intptr_t h, void* buffer, unsigned count) {
  if (!reader) return 0;
  int error = 0;
  unsigned n = reader->Handler->Write(h, buffer, count, &error);
  if (error > 0) reader->LastIoError = error;
  return n;
}

template <int Set>
struct TBoundCallbacks {
  static TCabinetReader* Reader() { return g_boundReaders[Set]; }
  static intptr_t FDI_CALL Open(char* name, int flags, int mode) { return OpenFor(Reader(), name, flags, mode); }
  static unsigned FDI_CALL Read(intptr_t h, void* buffer, unsigned count) {
    int error = 0;
    return Reader() ? Reader()->Handler->Read(h, buffer, count, &error) : 0;
  }
  static unsigned FDI_CALL Write(intptr_t h, void* buffer, unsigned count) {
    return WriteFor(Reader(), h, buffer, count);
  }
  static int FDI_CALL Close(intptr_t h) {
    int error = 0;
    return Reader() ? Reader()->Handler->Close(h, &error) : -1;
  }
  static int32_t FDI_CALL Seek(intptr_t h, int32_t distance, int origin) {
    int error = 0;
    return Reader() ? Reader()->Handler->Seek(h, distance, origin, &error) : -1;
  }
};

struct TCallbackSet {
  FdiOpen open;
  FdiRead read;
  FdiWrite write;
  FdiClose close;
  FdiSeek seek;
};

template <int Set>
constexpr TCallbackSet CallbacksOf() {
  return {TBoundCallbacks<Set>::Open, TBoundCallbacks<Set>::Read, TBoundCallbacks<Set>::Write,
          TBoundCallbacks<Set>::Close, TBoundCallbacks<Set>::Seek};
}

const TCallbackSet kCallbackTable[kCallbackSets] = {CallbacksOf<0>(), CallbacksOf<1>(), CallbacksOf<2>(),
                                                    CallbacksOf<3>()};

// A free set for `reader`, or -1 when every set serves a live context.
int BindCallbackSet(TCabinetReader* reader) {
  for (int i = 0; i < kCallbackSets; i++)
    if (InterlockedCompareExchangePointer((void* volatile*)&g_boundReaders[i], reader, nullptr) == nullptr) return i;
  return -1;
}

void ReleaseCallbackSet(int set) {
  if (set >= 0) InterlockedExchangePointer((void* volatile*)&g_boundReaders[set], nullptr);
}
}  // namespace

static intptr_t FDI_CALL CbNotify(int type, TFdiNotification* n) {
  TCabinetReader* reader = (TCabinetReader*)n->pv;
  if (reader->Cancelled()) return -1;
  switch (type) {
    case kFdintCabinetInfo: return reader->CabinetInfo(n);
    case kFdintPartialFile: return reader->PartialFile(n);
    case kFdintCopyFile: return reader->CopyFile(n);
    case kFdintCloseFileInfo: return reader->CloseFileInfo(n);
    case kFdintNextCabinet: return reader->NextCabinet(n);
    default: return 0;
  }
}

// --- The reader.

TCabinetInterface::TCabinetInterface() {
  Error.oper = Error.type = Error.flag = 0;
}
TCabinetInterface::~TCabinetInterface() { delete Handler; }

TCabinetReader::TCabinetReader() { Handler = new TStreamCabinetFileHandler(this); }

TCabinetReader::~TCabinetReader() {
  DestroyContext();
  DiscardPartialOutput();
  delete[] measure_;
  delete[] measureOrder_;
}

bool TCabinetReader::CreateContext() {
  if (Context) return true;
  FdiCreateFn create = (FdiCreateFn)(void*)HelperExport("FDICreate");
  if (!create) {
    Failure.Set(kErrorPackage, kCabinetNoLibrary, 0, "FDICreate");
    return false;
  }
  callbackSet_ = BindCallbackSet(this);
  if (callbackSet_ < 0) {
    // More readers at once than there are sets: refused rather than read
    // through another reader's files.
    Failure.Set(kErrorPackage, kCabinetNoContext, 0, TStr());
    return false;
  }
  const TCallbackSet& set = kCallbackTable[callbackSet_];
  Context = create(CbAlloc, CbFree, set.open, set.read, set.write, set.close, set.seek, CpuType - 1, &Error);
  if (!Context) {
    ReleaseCallbackSet(callbackSet_);
    callbackSet_ = -1;
  }
  // A library that fails without saying why must still stop the operation
  // visibly rather than read as an empty cabinet.
  if (!Context && !Error.flag) Failure.Set(kErrorPackage, kCabinetNoContext, 0, TStr());
  return CheckResult(Context != nullptr);
}

void TCabinetReader::DestroyContext() {
  if (!Context) return;
  FdiDestroyFn destroy = (FdiDestroyFn)(void*)HelperExport("FDIDestroy");
  if (destroy) destroy(Context);
  Context = nullptr;
  ReleaseCallbackSet(callbackSet_);
  callbackSet_ = -1;
}

bool TCabinetReader::CheckResult(bool ok) {
  if (!ok && Error.oper != kFdiUserAbort && Error.flag && !Cancelled()) {
    // The library's second code when it gave one, else what the file layer met.
    unsigned system = Error.type ? (unsigned)Error.type : LastIoError > 0 ? (unsigned)LastIoError : 0;
    Failure.Set(kErrorPackage, Error.oper, system, outputPath_);
  }
  return ok;
}

void TCabinetReader::DiscardPartialOutput() {
  // A file whose copy did not finish must not stay behind looking complete.
  if (outputHandle_) {
    int error = 0;
    Handler->Close(outputHandle_, &error);
    outputHandle_ = 0;
  }
  // Deleted through a handle checked like the one it was written through,
  // in the folders still held: a link put in its place meanwhile stays.
  void* h = nullptr;
  if (!outputPath_.empty() && outputFolders_.Open(FileNamePart(outputPath_), kPlainDelete, &h) == kPathPlain) {
    DeleteThroughHandle(h);
    CloseHandle((HANDLE)h);
  }
  outputPath_.clear();
}

bool TCabinetReader::AllMeasured() const { return unmeasured_ == 0; }

int TCabinetReader::CompareWanted(const void* a, const void* b) {
  return CompareStoredNames((*(Wanted* const*)a)->name.c_str(), (*(Wanted* const*)b)->name.c_str());
}

TCabinetReader::Wanted* TCabinetReader::FindUnmeasured(const char* stored) {
  // The first of the equal names, then past those already met (a name the
  // list repeats is met once, like the file).
  int low = 0, high = measureCount_;
  while (low < high) {
    int mid = low + (high - low) / 2;
    if (CompareStoredNames(measureOrder_[mid]->name.c_str(), stored) < 0)
      low = mid + 1;
    else
      high = mid;
  }
  for (; low < measureCount_ && SameStoredName(measureOrder_[low]->name.c_str(), stored); low++)
    if (!measureOrder_[low]->met) return measureOrder_[low];
  return nullptr;
}

void TCabinetReader::RecordFailedCopy() {
  if (Cancelled()) return;
  if (refusal_.Failed()) Failure = refusal_;
  else CheckResult(false);
}

bool TCabinetReader::CopyCabinetChain(TStr cabinetName, const TStr& cabinetFolder, int flags) {
  FdiCopyFn copy = (FdiCopyFn)(void*)HelperExport("FDICopy");
  if (!copy) {
    Failure.Set(kErrorPackage, kCabinetNoLibrary, 0, "FDICopy");
    return false;
  }
  TStr visited[kMaxCabinetsInSet];
  for (int hop = 0;; hop++) {
    visited[hop] = UpperAscii(cabinetName);
    NextCabinetName.clear();
    FileFound = 0;
    refusal_.Clear();
    LastIoError = 0;
    bool ok = copy(Context, (char*)cabinetName.c_str(), (char*)cabinetFolder.c_str(), flags, CbNotify,
                   nullptr, this) != 0;
    if (!ok) {
      bool measureDone = Error.oper == kFdiUserAbort && measure_ && !refusal_.Failed();
      if (!measureDone) RecordFailedCopy();
      DiscardPartialOutput();
      if (TargetDir.empty()) Handler->FreeMemoryStream();
      if (!measureDone) FileFound = 0;
      return measureDone;  // an early stop of a measurement is its success
    }
    bool done = measure_ ? AllMeasured() : FileFound != 0;
    if (done || NextCabinetName.empty()) return true;
    // The next cabinet of a set lies beside this one: a name that reaches
    // elsewhere is refused, never looked for.
    if (!IsPlainCabinetName(NextCabinetName.c_str())) {
      Failure.Set(kErrorPackage, kCabinetBadNextName, 0, NextCabinetName);
      return false;
    }
    if (!FileExists(cabinetFolder + NextCabinetName)) return true;
    TStr next = UpperAscii(NextCabinetName);
    bool seen = hop + 1 >= kMaxCabinetsInSet;
    for (int i = 0; i <= hop && !seen; i++) seen = visited[i] == next;
    if (seen) {
      Failure.Set(kErrorPackage, kCabinetSetLoops, 0, NextCabinetName);
      return false;
    }
    cabinetName = NextCabinetName;
  }
}

bool TCabinetReader::ExtractFiles(const TStr& name, const TStr& cabinetPath, int flags, const TStr& target) {
  Failure.Clear();
  FileFound = 0;
  TStr cabinetName = FileNamePart(cabinetPath);
  TStr cabinetFolder = FolderPart(cabinetPath);
  if (!CreateContext()) return false;
  if (!target.empty()) TargetDir = WithBackslash(target);
  FileFilter = name;
  bool ok = CopyCabinetChain(cabinetName, cabinetFolder, flags);
  outputFolders_.Release();
  FileFilter.clear();
  return ok;
}

long long TCabinetReader::MeasureFiles(const TStr& cabinetPath, const TStr* names, int count) {
  Failure.Clear();
  if (count <= 0) return 0;
  delete[] measure_;
  measure_ = new Wanted[count];
  delete[] measureOrder_;
  measureOrder_ = new Wanted*[count];
  measureCount_ = count;
  unmeasured_ = count;
  for (int i = 0; i < count; i++) {
    measure_[i].name = names[i];
    measure_[i].size = 0;
    measure_[i].met = false;
    measureOrder_[i] = &measure_[i];
  }
  qsort(measureOrder_, count, sizeof *measureOrder_, CompareWanted);
  long long total = 0;
  if (CreateContext()) {
    CopyCabinetChain(FileNamePart(cabinetPath), FolderPart(cabinetPath), 0);
    // A stored size is unsigned 32-bit.
    for (int i = 0; i < count; i++) total += (unsigned)measure_[i].size;
  }
  delete[] measure_;
  measure_ = nullptr;
  delete[] measureOrder_;
  measureOrder_ = nullptr;
  measureCount_ = 0;
  unmeasured_ = 0;
  return total;
}

intptr_t TCabinetReader::CabinetInfo(TFdiNotification* n) {
  NextCabinetName = n->psz1 ? n->psz1 : "";
  return 0;
}

intptr_t TCabinetReader::PartialFile(TFdiNotification*) { return 0; }

// Moves the file at `path` (in the folder entered last) out of the way
// under the name the sink gives, so an undo can bring it back, or deletes it
// where the sink gives none. While another program holds it, the sink
// decides whether to try again.
TPlainResult TCabinetReader::SetAside(const TStr& path) {
  TStr name = FileNamePart(path), aside;
  void* old = nullptr;
  TPlainResult r;
  do r = outputFolders_.Open(name, kPlainRename, &old);
  while (r == kPathFailed && !Cancelled() && Sink->Retry(path, outputFolders_.SystemError()));
  if (r == kPathMissing) return kPathPlain;
  if (r != kPathPlain) return r;
  if (!Sink->Replacing(path, &aside)) r = kPathFailed;
  else if (aside.empty() ? !DeleteThroughHandle(old) : !outputFolders_.Rename(old, aside)) r = kPathFailed;
  DWORD error = GetLastError();
  // A deleted file's name goes once its handle is closed.
  CloseHandle((HANDLE)old);
  if (r == kPathPlain && !Sink->Replaced(path)) r = kPathFailed;
  // A failure after the open is the move's, or the record's (the sink knows).
  if (r != kPathPlain) refusal_.Set(kErrorPackage, kFdiTargetFile, error, path);
  return r;
}

static const char kLinkRefused[] = "\nSetup will not write through a link; remove it.";

intptr_t TCabinetReader::CopyFile(TFdiNotification* n) {
  // The name as the script lists it and the system takes it: in the code page
  // the program runs under.
  const char* given = n->psz1 ? n->psz1 : "";
  TStr name = ToActiveCodePage(given, StoredNameCodePage(given, n->attribs, TextCodePage));
  const char* stored = name.c_str();
  // FileFound tells whether a wanted file was met anywhere in this copy, so it
  // is cleared before each copy, not at each file: otherwise a wanted file
  // followed by others would send the reader on to the next cabinet.
  if (measure_) {
    if (Wanted* w = FindUnmeasured(stored)) {
      w->size = n->cb;
      w->met = true;
      unmeasured_--;
      FileFound = 1;
    }
    return AllMeasured() ? -1 : 0;
  }
  if (!FileFilter.empty() && !SameStoredName(FileFilter.c_str(), stored)) return 0;
  if (Sink && !Sink->Wants(stored)) return 0;
  FileFound = 1;
  CurrentFileSize = n->cb;
  int error = 0;
  if (TargetDir.empty()) return Handler->Open("", 0, kOpenOutput, &error, 0);
  if (!IsSafeStoredName(stored)) {
    refusal_.Set(kErrorPackage, kCabinetUnsafeName, 0, stored);
    return -1;
  }
  // '/' is a separator like '\': the folders on the way are made for both.
  // Nothing is written through a link planted on the way or at the name.
  TStr path = TargetDir + StoredNameAsPath(stored);
  void* file = nullptr;
  TPlainResult placed = outputFolders_.Enter(TargetDir, FolderPart(path), true);
  if (placed == kPathPlain && Sink) placed = SetAside(path);
  if (placed == kPathPlain) placed = outputFolders_.Open(FileNamePart(path), kPlainWrite, &file);
  intptr_t h = placed == kPathPlain ? Handler->AdoptOutput(file) : kFailedHandle;
  if (h == kFailedHandle) {
    if (refusal_.Failed()) return -1;
    // Not carried on as if the file had been installed: the copy stops and
    // the failure names the file, or the link that was refused. (The text
    // lives here, not with the other words, which the release's loader
    // carries uncompressed.)
    unsigned why = outputFolders_.SystemError();
    refusal_.Set(kErrorPackage, kFdiTargetFile, why ? why : ERROR_CANNOT_MAKE,
                 placed == kPathLinked ? outputFolders_.Refused() + kLinkRefused : path);
    return -1;
  }
  outputHandle_ = h;
  outputPath_ = path;
  return h;
}

intptr_t TCabinetReader::CloseFileInfo(TFdiNotification* n) {
  if (n->hf == kMemoryHandle) return 1;
  if (KeepAttributes) {
    // The time first: a read-only file could not take it afterwards.
    FILETIME local, utc;
    void* h = Handler->SystemHandle(n->hf);
    if (h && DosDateTimeToFileTime(n->date, n->time, &local) && LocalFileTimeToFileTime(&local, &utc))
      SetFileTime((HANDLE)h, nullptr, nullptr, &utc);
    // Only real attributes: the stored word also carries flags (run after
    // extraction, UTF-8 name) that are no file attributes. Through the
    // handle, as the name may lead elsewhere once the file is closed.
    if (h) SetAttributesThroughHandle(h, n->attribs & kKeptAttributes);
  }
  int error = 0;
  Handler->Close(n->hf, &error);
  outputHandle_ = 0;
  outputPath_.clear();
  return Sink && !Sink->Written(n->psz1 ? n->psz1 : "") ? -1 : 1;
}

intptr_t TCabinetReader::NextCabinet(TFdiNotification* n) {
  // The library proposes the next cabinet of a set under its stored name in
  // the current cabinet's folder; a name that reaches elsewhere stops it.
  if (!IsPlainCabinetName(n->psz1)) {
    refusal_.Set(kErrorPackage, kCabinetBadNextName, 0, n->psz1 ? n->psz1 : "");
    return -1;
  }
  return 1;
}
