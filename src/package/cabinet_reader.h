// Reading the package cabinet through the helper library's FDI calls: one
// reader per operation, file callbacks that see the cabinet through a window
// onto the package, and notifications turned into extraction decisions. The
// callbacks find their reader per thread, so readers on different threads
// do not meet. Nothing here shows a message: failures come back as TError.
#pragma once
#include <stdint.h>

#include "base/error.h"
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
  // The system handle of an output file, for its time stamp.
  void* SystemHandle(intptr_t h);
  void FreeMemoryStream();

private:
  struct Entry { intptr_t handle; TStream* stream; };
  TStream* Find(intptr_t h);
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
  virtual intptr_t CabinetInfo(TFdiNotification* n);
  virtual intptr_t PartialFile(TFdiNotification* n);
  virtual intptr_t CopyFile(TFdiNotification* n);
  virtual intptr_t CloseFileInfo(TFdiNotification* n);
  virtual intptr_t NextCabinet(TFdiNotification* n);

  TFdiContext Context = nullptr;
  unsigned char CpuType = 0;
  TStr TargetDir;
  unsigned char KeepAttributes = 1;
  TStr FileFilter;
  int CurrentFileSize = 0;
  TProgressEvent OnProgress = nullptr;
  void* OnProgressObject = nullptr;
  int CabinetOffset = 0;
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
  // Why the notification handler stopped a copy: a refusal of its own
  // (package error code and subject), or the file it could not create.
  TError refusal_;
};

// Package-level operations, each with one reader on the package cabinet.
// Each fills *error (when given) with what failed; none shows anything.

// A text of the package (KESTIN\*.txt) read into memory and converted to the
// active code page (TextCodePage); empty when it is missing.
TStr ReadPackageText(const TStr& name, TError* error = nullptr);
// The same, telling whether the file was there: false when it is missing or
// the copy failed.
bool ReadPackageFile(const TStr& name, TStr* content, TError* error = nullptr);
// Extracts `name` (every file for an empty name) below `folder`. True only
// when the wanted file was found and written.
bool ExtractCabinetFile(const TStr& name, const TStr& folder, TError* error = nullptr);
// Sum of the sizes of the files a setup-script section lists.
long long MeasureSection(const TStr& section, TError* error = nullptr);
