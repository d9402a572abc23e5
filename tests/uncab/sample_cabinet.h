// A minimal reader of cabinet files for the decoder tests, independent of the
// engine's: enough to take the data blocks out of the sample cabinets.
// Checksums are not checked. (Cabinets are written by the one test writer,
// cab_builder.h.)
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "block_codec.h"

struct TSampleFolder {
  uint16_t typeCompress = 0;
  std::vector<TEncodedBlock> blocks;
};

struct TSampleFile {
  std::string name;
  uint32_t size = 0;
  uint32_t offset = 0;  // in the folder's output
  uint16_t folder = 0;
};

struct TSampleCabinet {
  std::vector<TSampleFolder> folders;
  std::vector<TSampleFile> files;
  bool filesRead = false;  // the file entries were intact
};

// False when the header, a folder entry or a data block is cut off or lies
// outside the file. File entries are read when intact (filesRead).
bool ParseCabinet(const std::vector<uint8_t>& bytes, TSampleCabinet* cab);
