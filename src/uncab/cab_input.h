// Buffered reading of one open cabinet through the caller's read and seek
// callbacks. Small records (headers, names, block headers) come out of one
// buffer filled by large reads; block data bigger than the buffer is read
// straight into its destination. Nothing beyond `limit` is ever read.
#pragma once
#include <stdint.h>

#include "uncab/fdi_types.h"

struct TCabInput {
  FdiRead read;
  FdiSeek seek;
  intptr_t hf;
  uint32_t limit;    // bytes of the file that belong to the cabinet
  uint32_t filePos;  // where the callbacks' file position stands
  uint32_t pos;      // where the next Input_Read starts
  uint8_t* buf;
  uint32_t bufCap;
  uint32_t bufStart;  // file position of buf[0]
  uint32_t bufLen;
};

// Sets up `in` over `hf`, whose file position is 0 (just opened).
void Input_Init(TCabInput* in, FdiRead read, FdiSeek seek, intptr_t hf, uint8_t* buf,
                uint32_t bufCap);
// The file's size found by seeking to its end, or 0xFFFFFFFF when the seek
// callback cannot tell. Leaves the read position where it was.
uint32_t Input_FileSize(TCabInput* in);
// Moves the read position; false when `pos` is beyond the limit.
bool Input_Seek(TCabInput* in, uint32_t pos);
// Reads exactly `n` bytes at the read position; false when the cabinet ends
// (at the limit or the file's end) or a callback fails.
bool Input_Read(TCabInput* in, void* dst, uint32_t n);
// Like Input_Read, but a record not already buffered is read on its own
// instead of filling the buffer: for block headers whose data may be skipped.
bool Input_ReadRecord(TCabInput* in, void* dst, uint32_t n);
// Moves the read position on by `n` bytes without reading them.
bool Input_Skip(TCabInput* in, uint32_t n);
// Reads a zero-terminated string of at most `cap` bytes, terminator included.
bool Input_ReadName(TCabInput* in, char* dst, uint32_t cap);
