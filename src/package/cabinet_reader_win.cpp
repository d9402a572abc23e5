#include <windows.h>
#include <stdlib.h>

#include "base/message_box.h"
#include "base/files.h"
#include "base/process_state.h"
#include "package/cabinet_reader.h"
#include "package/package_locate.h"
#include "package/stored_name.h"

TCabinetReader* CurrentReader = nullptr;

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

static intptr_t FDI_CALL CbOpen(char* name, int flags, int mode) {
  int error = 0;
  intptr_t h = CurrentReader->Handler->Open(name, flags, kOpenCabinet, &error, mode);
  if (error) CurrentReader->LastIoError = error;
  return h;
}
static unsigned FDI_CALL CbRead(intptr_t h, void* buffer, unsigned count) {
  int error = 0;
  return CurrentReader->Handler->Read(h, buffer, count, &error);
}
static unsigned FDI_CALL CbWrite(intptr_t h, void* buffer, unsigned count) {
  int error = 0;
  unsigned n = CurrentReader->Handler->Write(h, buffer, count, &error);
  if (error > 0) CurrentReader->LastIoError = error;
  return n;
}
static int FDI_CALL CbClose(intptr_t h) {
  int error = 0;
  return CurrentReader->Handler->Close(h, &error);
}
static int32_t FDI_CALL CbSeek(intptr_t h, int32_t distance, int origin) {
  int error = 0;
  return CurrentReader->Handler->Seek(h, distance, origin, &error);
}

static intptr_t FDI_CALL CbNotify(int type, TFdiNotification* n) {
  TCabinetReader* reader = (TCabinetReader*)n->pv;
  if (CancelFlag) return -1;
  switch (type) {
    case kFdintCabinetInfo: return reader->CabinetInfo(n);
    case kFdintPartialFile: return reader->PartialFile(n);
    case kFdintCopyFile: return reader->CopyFile(n);
    case kFdintCloseFileInfo: return reader->CloseFileInfo(n);
    case kFdintNextCabinet: return reader->NextCabinet(n);
    default: return 0;
  }
}

// --- Errors.

static const char* ErrorReason(int oper) {
  switch (oper) {
    case kFdiCabinetNotFound: return "The cabinet file cannot be opened.";
    case kFdiNotACabinet: return "The file is not a cabinet.";
    case kFdiUnknownCabinetVersion: return "The cabinet's format version is not supported.";
    case kFdiCorruptCabinet: return "The cabinet is damaged.";
    case kFdiAllocFail: return "There is not enough memory.";
    case kFdiBadComprType: return "The cabinet uses an unknown compression type.";
    case kFdiMdiFail: return "The compressed data in the cabinet is damaged.";
    case kFdiTargetFile: return "A file could not be written.";
    case kFdiReserveMismatch: return "The cabinets of the set do not fit together.";
    case kFdiWrongCabinet: return "The next cabinet of the set is not the right one.";
    default: return "";
  }
}

void ShowCabinetError(const TFdiError& error, const TStr& detail) {
  TStr text = Concat("Cabinet error : ", IntToStr(error.oper), " ", IntToStr(error.type));
  const char* reason = ErrorReason(error.oper);
  if (*reason || !detail.empty()) text += "\n\n";
  text += reason;
  if (*reason && !detail.empty()) text += "\n";
  text += detail;
  ShowMessage(nullptr, text.c_str(), "Error", MB_ICONERROR);
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
}

bool TCabinetReader::CreateContext() {
  if (Context) return true;
  CurrentReader = this;
  FdiCreateFn create = (FdiCreateFn)(void*)HelperExport("FDICreate");
  Context = create ? create(CbAlloc, CbFree, CbOpen, CbRead, CbWrite, CbClose, CbSeek, CpuType - 1, &Error)
                   : nullptr;
  return CheckResult(Context != nullptr);
}

void TCabinetReader::DestroyContext() {
  if (!Context) return;
  CurrentReader = this;
  FdiDestroyFn destroy = (FdiDestroyFn)(void*)HelperExport("FDIDestroy");
  CheckResult(destroy && destroy(Context));
  Context = nullptr;
}

bool TCabinetReader::CheckResult(bool ok) {
  if (!ok && Error.oper != kFdiUserAbort && Error.flag && !CancelFlag) {
    TStr detail;
    if (!outputPath_.empty()) detail = "File: " + outputPath_;
    if (Error.type == 0 && LastIoError > 0)
      detail = Concat(detail, detail.empty() ? "" : "\n", "System error ", IntToStr(LastIoError));
    ShowCabinetError(Error, detail);
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
  if (!outputPath_.empty()) {
    SetFileAttributesA(outputPath_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(outputPath_.c_str());
    outputPath_.clear();
  }
}

bool TCabinetReader::AllMeasured() const {
  for (int i = 0; i < measureCount_; i++)
    if (!measure_[i].met) return false;
  return true;
}

bool TCabinetReader::CopyCabinetChain(TStr cabinetName, const TStr& cabinetFolder, int flags) {
  FdiCopyFn copy = (FdiCopyFn)(void*)HelperExport("FDICopy");
  if (!copy) return false;
  TStr visited[kMaxCabinetsInSet];
  for (int hop = 0;; hop++) {
    visited[hop] = UpperAscii(cabinetName);
    CurrentReader = this;
    NextCabinetName.clear();
    FileFound = 0;
    refusedName_.clear();
    LastIoError = 0;
    bool ok = copy(Context, (char*)cabinetName.c_str(), (char*)cabinetFolder.c_str(), flags, CbNotify,
                   nullptr, this) != 0;
    if (!ok) {
      if (!refusedName_.empty()) {
        TFdiError e = {kFdiTargetFile, 0, 1};
        ShowCabinetError(e, "The cabinet holds a file whose name would be written outside the target folder: " +
                                refusedName_);
      } else if (Error.oper == kFdiUserAbort && LastIoError > 0 && !CancelFlag) {
        // The output file could not be created: say so rather than carry on
        // as if the file had been installed.
        TFdiError e = {kFdiTargetFile, LastIoError, 1};
        ShowCabinetError(e, Concat("File: ", TargetDir, FileFilter));
      } else {
        CheckResult(false);
      }
      DiscardPartialOutput();
      if (TargetDir.empty()) Handler->FreeMemoryStream();
      return Error.oper == kFdiUserAbort && measure_ && !LastIoError;  // early stop of a measurement
    }
    bool done = measure_ ? AllMeasured() : FileFound != 0;
    if (done || NextCabinetName.empty() || !FileExists(cabinetFolder + NextCabinetName)) return true;
    TStr next = UpperAscii(NextCabinetName);
    bool seen = hop + 1 >= kMaxCabinetsInSet;
    for (int i = 0; i <= hop && !seen; i++) seen = visited[i] == next;
    if (seen) {
      TFdiError e = {kFdiWrongCabinet, 0, 1};
      ShowCabinetError(e, "The cabinet set leads back to a cabinet already read: " + NextCabinetName);
      return false;
    }
    cabinetName = NextCabinetName;
  }
}

bool TCabinetReader::ExtractFiles(const TStr& name, const TStr& cabinetPath, int flags, const TStr& target) {
  TStr cabinetName = FileNamePart(cabinetPath);
  TStr cabinetFolder = FolderPart(cabinetPath);
  if (!CreateContext()) return false;
  CurrentReader = this;
  if (!target.empty()) TargetDir = WithBackslash(target);
  FileFilter = name;
  bool ok = CopyCabinetChain(cabinetName, cabinetFolder, flags);
  FileFilter.clear();
  return ok;
}

long long TCabinetReader::MeasureFiles(const TStr& cabinetPath, const TStr* names, int count) {
  if (count <= 0) return 0;
  delete[] measure_;
  measure_ = new Wanted[count];
  measureCount_ = count;
  for (int i = 0; i < count; i++) {
    measure_[i].name = UpperAscii(names[i]);
    measure_[i].size = 0;
    measure_[i].met = false;
  }
  long long total = 0;
  if (CreateContext()) {
    CurrentReader = this;
    CopyCabinetChain(FileNamePart(cabinetPath), FolderPart(cabinetPath), 0);
    // A stored size is unsigned 32-bit.
    for (int i = 0; i < count; i++) total += (unsigned)measure_[i].size;
  }
  delete[] measure_;
  measure_ = nullptr;
  measureCount_ = 0;
  return total;
}

intptr_t TCabinetReader::CabinetInfo(TFdiNotification* n) {
  NextCabinetName = n->psz1 ? n->psz1 : "";
  return 0;
}

intptr_t TCabinetReader::PartialFile(TFdiNotification*) { return 0; }

intptr_t TCabinetReader::CopyFile(TFdiNotification* n) {
  const char* stored = n->psz1 ? n->psz1 : "";
  // FileFound tells whether a wanted file was met anywhere in this copy, so it
  // is cleared before each copy, not at each file: otherwise a wanted file
  // followed by others would send the reader on to the next cabinet.
  if (measure_) {
    TStr upper = UpperAscii(stored);
    for (int i = 0; i < measureCount_; i++) {
      if (!measure_[i].met && measure_[i].name == upper) {
        measure_[i].size = n->cb;
        measure_[i].met = true;
        FileFound = 1;
        break;
      }
    }
    return AllMeasured() ? -1 : 0;
  }
  if (!FileFilter.empty() && !SameTextAscii(FileFilter.c_str(), stored)) return 0;
  FileFound = 1;
  CurrentFileSize = n->cb;
  int error = 0;
  if (TargetDir.empty()) return Handler->Open("", 0, kOpenOutput, &error, 0);
  if (!IsSafeStoredName(stored)) {
    refusedName_ = stored;
    return -1;
  }
  TStr path = TargetDir + stored;
  CreateFolders(path, true);
  // A read-only file from an earlier run must not block the new copy.
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  intptr_t h = Handler->Open(path.c_str(), 0x100 | 0x0001, kOpenOutput, &error, 0);
  if (h == kFailedHandle) {
    LastIoError = error ? error : ERROR_CANNOT_MAKE;
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
  }
  int error = 0;
  Handler->Close(n->hf, &error);
  outputHandle_ = 0;
  if (KeepAttributes && !outputPath_.empty()) {
    // Only real attributes: the stored word also carries flags (run after
    // extraction, UTF-8 name) that are no file attributes.
    DWORD attributes = n->attribs & kKeptAttributes;
    SetFileAttributesA(outputPath_.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
  }
  outputPath_.clear();
  return 1;
}

intptr_t TCabinetReader::NextCabinet(TFdiNotification*) { return 1; }
