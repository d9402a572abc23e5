// Buffered reading of one open cabinet through the caller's read and seek
// callbacks. Small records (headers, names, block headers) come out of one
// buffer filled by large reads; block data bigger than the buffer is read
// straight into its destination. Nothing beyond `limit` is ever read, and
// the file is only ever placed by seeking from its start.
#pragma once
#include <stdint.h>

#include "uncab/fdi_io.h"

struct TCabSource {
  const TFdiIo* io;  // read and seek are present
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
void Input_Init(TCabSource* in, const TFdiIo* io, intptr_t hf, uint8_t* buf, uint32_t bufCap);
// True when the file holds a byte at `pos`: a file cut short is found by the
// read that comes up short. Answered from the buffer when it can be; leaves
// the read position where it was.
bool Input_Reaches(TCabSource* in, uint32_t pos);
// Moves the read position; false when `pos` is beyond the limit.
bool Input_Seek(TCabSource* in, uint32_t pos);
// Reads exactly `n` bytes at the read position; false when the cabinet ends
// (at the limit or the file's end) or a callback fails.
bool Input_Read(TCabSource* in, void* dst, uint32_t n);
// Like Input_Read, but a record not already buffered is read on its own
// instead of filling the buffer: for block headers whose data may be skipped.
bool Input_ReadRecord(TCabSource* in, void* dst, uint32_t n);
// Moves the read position on by `n` bytes without reading them.
bool Input_Skip(TCabSource* in, uint32_t n);
// Reads a zero-terminated string of at most `cap` bytes, terminator included.
bool Input_ReadName(TCabSource* in, char* dst, uint32_t cap);
