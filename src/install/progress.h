// Progress of the install run as a percentage of the selected options' size.
#pragma once

// (done + written) / total as a whole percentage, rounded to the nearest
// (halves to the even neighbour), never above 100. A total of 0 (every
// selected file empty) counts as complete rather than dividing by zero.
int ProgressPercent(long long doneBytes, long long writtenBytes, long long totalBytes);

// The worker's byte counters. Only the worker changes them (its progress
// handler runs on the worker during extraction).
struct TProgressCounter {
  long long TotalBytes = 0;
  long long DoneBytes = 0;
  // A write of `written` bytes of a file of `size` bytes: returns the new
  // percentage and adds the file to DoneBytes once it is complete.
  int Advance(long long written, long long size);
};
