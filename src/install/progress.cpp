#include "install/progress.h"

int ProgressPercent(long long doneBytes, long long writtenBytes, long long totalBytes) {
  long long part = doneBytes + writtenBytes;
  if (totalBytes <= 0 || part >= totalBytes) return 100;
  if (part <= 0) return 0;
  // Integer arithmetic: a double would be exact too, but this keeps the
  // floating-point support code out of setup.exe. part * 100 stays far below
  // the 64-bit limit for any product a disk can hold.
  long long scaled = part * 100;
  long long q = scaled / totalBytes, r = scaled % totalBytes;
  if (2 * r > totalBytes || (2 * r == totalBytes && (q & 1))) ++q;
  return (int)q;
}

int TProgressCounter::Advance(long long written, long long size) {
  int percent = ProgressPercent(DoneBytes, written, TotalBytes);
  if (written == size) DoneBytes += size;
  return percent;
}
