// Reading the package cabinet through the helper library's FDI calls: one
// reader per operation, file callbacks that see the cabinet through a window
// onto the package, and notifications turned into extraction decisions. Each
// live reader's library context has file callbacks of its own, so readers on
// different threads do not meet. Nothing here shows a message: failures come
// back as TError.
#pragma once
#include <stdint.h>

#include "base/error.h"
#include "base/plain_path.h"
#include "base/shared_flag.h"
#include "base/str.h"
#include "package/stream.h"
#include "uncab/fdi_types.h"

class TCabinetReader;

// Handle values of the cabinet file layer besides the system's own.
const intptr_t kMemoryHandle = -2;
const intptr_t kFailedHandle = -1;

enum TOpenKind { kOpenOutput, kOpenCabinet };

class TCabinetFileHandler {
public:
  explicit TCabinetFileHandler(TCabinetReader* reader) : Reader(reader) {}
  virtual ~TCabinetFileHandler() {}
  virtual intptr_t Open(const char* name, int flags, TOpenKind kind, int* error, int mode) = 0;
  virtual unsigned Read(intptr_t h, void* buffer, unsigned count, int* error) = 0;
  virtual unsigned Write(intptr_t h, const void* buffer, unsigned count, int* error) = 0;
  virtual int Close(intptr_t h, int* error) = 0;
  virtual int32_t Seek(intptr_t h, int32_t distance, int origin, int* error) = 0;
  virtual int Delete(const char* name, int* error) = 0;

  TCabinetReader* Reader;
  TMemoryStream* MemoryStream = nullptr;
};

class TStreamCabinetFileHandler : public TCabinetFileHandler {
public:
  using TCabinetFileHandler::TCabinetFileHandler;
  ~TStreamCabinetFileHandler() override;
  intptr_t Open(const char* name, int flags, TOpenKind kind, int* error, int mode) override;
  unsigned Read(intptr_t h, void* buffer, unsigned count, int* error) override;
  unsigned Write(intptr_t h, const void* buffer, unsigned count, int* error) override;
  int Close(intptr_t h, int* error) override;
  int32_t Seek(intptr_t h, int32_t distance, int origin, int* error) override;
  int Delete(const char* name, int* error) override;
  // Takes over an output file the reader opened itself (a system handle),
  // as Open would have returned it.
  intptr_t AdoptOutput(void* systemHandle);
  // The system handle of an output file, for its time stamp.
  void* SystemHandle(intptr_t h);
  void FreeMemoryStream();

private:
  struct Entry { intptr_t handle; TStream* stream; };
  TStream* Find(intptr_t h);
  // Adds an open stream (owned from here on) under its handle.
  intptr_t Keep(intptr_t handle, TStream* stream);
  Entry* streams_ = nullptr;
  int count_ = 0, capacity_ = 0;
};

class TCabinetInterface {
public:
  TCabinetInterface();
  virtual ~TCabinetInterface();
  TFdiError Error;  // ErrOper, ErrType, ErrFlag
  TStreamCabinetFileHandler* Handler = nullptr;
};

// Called after each completed write into an extracted file.
typedef void (*TProgressEvent)(void* object, TCabinetReader* reader, long long position, int size);

// Who decides, file by file, what an extraction of many files takes, and
// hears when each is written whole. The reader stays what it is; the one
// that wants the files is told of them.
class TExtractSink {
public:
  // Whether the stored file is wanted; it is then written below the target.
  virtual bool Wants(const char* stored) = 0;
  // A wanted file is written whole and closed; false stops the copy.
  virtual bool Written(const char* stored) = 0;
  // The target `path` is there already and is to be replaced. Sets *aside
  // to a free name in its folder under which the earlier file is kept, once
  // that name is recorded where an undo finds it; left empty, the earlier
  // file is deleted instead. False stops the copy.
  virtual bool Replacing(const TStr& path, TStr* aside) {
    (void)path;
    aside->clear();
    return true;
  }
  // The earlier file is out of the way; the new one is made next. False
  // stops the copy.
  virtual bool Replaced(const TStr& path) {
    (void)path;
    return true;
  }
  // The target `path` there already could not be opened (`systemError`):
  // true to try once more (another program held it and has let go).
  virtual bool Retry(const TStr& path, unsigned systemError) {
    (void)path, (void)systemError;
    return false;
  }

protected:
  ~TExtractSink() {}
};

class TCabinetReader : public TCabinetInterface {
public:
  TCabinetReader();
  ~TCabinetReader() override;

  // Extracts the file stored under `name` into `target` (a folder), or into
  // memory when target is empty. An empty name with a folder extracts every
  // file. Returns false when the copy failed: Failure says why (it stays
  // clear when the cancel flag stopped the copy). FileFound is 1 when the
  // copy succeeded and met the wanted file, which has then been written whole.
  bool ExtractFiles(const TStr& name, const TStr& cabinetPath, int flags, const TStr& target);
  // Sum of the uncompressed sizes of the listed names; Failure says what
  // failed, if anything did. 64-bit, as a few large
  // files add up past what 32 bits hold.
  long long MeasureFiles(const TStr& cabinetPath, const TStr* names, int count);
  TMemoryStream* MemoryResult() { return Handler->MemoryStream; }

  bool CreateContext();
  void DestroyContext();
  // Records a failed library call in Failure (never shows anything): not for
  // the library's user-abort code, not without an error record, not after
  // a cancel.
  bool CheckResult(bool ok);

  // Notification slots.
  intptr_t CabinetInfo(TFdiNotification* n);
  intptr_t PartialFile(TFdiNotification* n);
  intptr_t CopyFile(TFdiNotification* n);
  intptr_t CloseFileInfo(TFdiNotification* n);
  intptr_t NextCabinet(TFdiNotification* n);
  // Chooses the files of an extraction with an empty name; null takes all.
  TExtractSink* Sink = nullptr;

  // The operation's cancel token: once raised, writes fail and the copy
  // stops at the next notification. Null: this read is never cancelled.
  const TSharedFlag* Cancel = nullptr;
  bool Cancelled() const { return Cancel && Cancel->IsSet(); }

  TFdiContext Context = nullptr;
  unsigned char CpuType = 0;
  TStr TargetDir;
  unsigned char KeepAttributes = 1;
  TStr FileFilter;
  int CurrentFileSize = 0;
  TProgressEvent OnProgress = nullptr;
  void* OnProgressObject = nullptr;
  int CabinetOffset = 0;
  // The package's own code page, for stored names not marked as UTF-8.
  unsigned TextCodePage = 0;
  TStr NextCabinetName;
  unsigned char FileFound = 0;
  unsigned char Scrambled = 0;
  // The last system error a file callback met, reported with a failed copy.
  int LastIoError = 0;
  // What the last ExtractFiles or MeasureFiles failed with (package error
  // codes, package_error.h); cleared when each begins.
  TError Failure;

private:
  struct Wanted { TStr name; int size; bool met; };
  Wanted* FindUnmeasured(const char* stored);
  static int CompareWanted(const void* a, const void* b);
  bool CopyCabinetChain(TStr cabinetName, const TStr& cabinetFolder, int flags);
  void RecordFailedCopy();
  bool AllMeasured() const;
  void DiscardPartialOutput();
  TPlainResult SetAside(const TStr& path);
  // The callback set bound to Context, or -1.
  int callbackSet_ = -1;
  Wanted* measure_ = nullptr;
  int measureCount_ = 0;
  // The wanted names in CompareStoredNames order, so each stored name is
  // looked up rather than compared with every wanted one (a list of
  // thousands of files would otherwise cost millions of comparisons), and
  // how many are still to be met.
  Wanted** measureOrder_ = nullptr;
  int unmeasured_ = 0;
  // The output file being written, so a failed copy can remove it.
  intptr_t outputHandle_ = 0;
  TStr outputPath_;
  // The folders below TargetDir the copy writes into, checked to be no links
  // and held while it runs.
  TPlainFolders outputFolders_;
  // Why the notification handler stopped a copy: a refusal of its own
  // (package error code and subject), or the file it could not create.
  TError refusal_;
};
