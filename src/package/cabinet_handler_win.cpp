// The file layer under the FDI callbacks: cabinet streams seen through the
// package window, output files, and the memory stream for texts.
#include <windows.h>
#include <stdlib.h>

#include "package/cabinet_reader.h"
#include "package/file_stream.h"
#include "package/lstream.h"

TStreamCabinetFileHandler::~TStreamCabinetFileHandler() {
  for (int i = 0; i < count_; i++) delete streams_[i].stream;
  free(streams_);
  FreeMemoryStream();
}

void TStreamCabinetFileHandler::FreeMemoryStream() {
  delete MemoryStream;
  MemoryStream = nullptr;
}

TStream* TStreamCabinetFileHandler::Find(intptr_t h) {
  if (h == kMemoryHandle) return MemoryStream;
  for (int i = 0; i < count_; i++)
    if (streams_[i].handle == h) return streams_[i].stream;
  return nullptr;
}

void* TStreamCabinetFileHandler::SystemHandle(intptr_t h) {
  return Find(h) && h != kMemoryHandle ? (void*)h : nullptr;
}

intptr_t TStreamCabinetFileHandler::Open(const char* name, int flags, TOpenKind kind, int* error,
                                         int mode) {
  if ((!name || !*name) && kind == kOpenOutput) {
    FreeMemoryStream();
    MemoryStream = new TMemoryStream;
    *error = 0;
    return kMemoryHandle;
  }
  TFileStream* file = new TFileStream(name, (flags & 0x100) != 0, (flags & 0x0001) != 0,
                                      (flags & 0x0400) != 0);
  if (!file->IsOpen()) {
    *error = (int)file->LastError();
    delete file;
    return kFailedHandle;
  }
  TStream* stream = file;
  if (kind == kOpenCabinet) {
    TLStream* window = new TLStream(file, file->Size());
    window->SetOffset(Reader->CabinetOffset);
    window->SetScrambled(Reader->Scrambled != 0);
    stream = window;
  }
  intptr_t handle = Keep(file->Handle(), stream);
  *error = handle == kFailedHandle ? ERROR_NOT_ENOUGH_MEMORY : 0;
  return handle;
}

intptr_t TStreamCabinetFileHandler::AdoptOutput(void* systemHandle) {
  TFileStream* file = new TFileStream(systemHandle);
  return Keep(file->Handle(), file);
}

intptr_t TStreamCabinetFileHandler::Keep(intptr_t handle, TStream* stream) {
  if (count_ == capacity_) {
    int c = capacity_ ? capacity_ * 2 : 4;
    Entry* grown = (Entry*)realloc(streams_, sizeof(Entry) * (size_t)c);
    if (!grown) {
      delete stream;
      return kFailedHandle;
    }
    streams_ = grown;
    capacity_ = c;
  }
  streams_[count_].handle = handle;
  streams_[count_].stream = stream;
  count_++;
  return handle;
}

unsigned TStreamCabinetFileHandler::Read(intptr_t h, void* buffer, unsigned count, int* error) {
  TStream* s = Find(h);
  if (!s) { *error = -1; return 0; }
  int got = s->Read(buffer, (int)count);
  if (got < 0) got = 0;
  *error = (unsigned)got == count ? 0 : (int)GetLastError();
  return (unsigned)got;
}

unsigned TStreamCabinetFileHandler::Write(intptr_t h, const void* buffer, unsigned count, int* error) {
  TStream* s = Reader->Cancelled() ? nullptr : Find(h);
  if (!s) { *error = -1; return 0; }
  int put = s->Write(buffer, (int)count);
  if (put < 0) put = 0;
  if ((unsigned)put == count) {
    *error = 0;
    if (Reader->OnProgress)
      Reader->OnProgress(Reader->OnProgressObject, Reader, s->Position(), Reader->CurrentFileSize);
  } else {
    DWORD e = GetLastError();
    *error = e ? (int)e : ERROR_DISK_FULL;
  }
  return (unsigned)put;
}

int TStreamCabinetFileHandler::Close(intptr_t h, int* error) {
  *error = 0;
  if (h == kMemoryHandle) return 0;  // kept for MemoryResult
  for (int i = 0; i < count_; i++) {
    if (streams_[i].handle != h) continue;
    delete streams_[i].stream;
    streams_[i] = streams_[--count_];
    break;
  }
  return 0;
}

int32_t TStreamCabinetFileHandler::Seek(intptr_t h, int32_t distance, int origin, int* error) {
  TStream* s = Find(h);
  if (!s) { *error = -1; return 0; }
  *error = 0;
  return (int32_t)s->Seek(distance, origin);
}

int TStreamCabinetFileHandler::Delete(const char* name, int* error) {
  *error = DeleteFileA(name) ? 0 : (int)GetLastError();
  return 0;
}
