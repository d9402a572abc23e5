// The cabinet records as kestin-pack writes them: one cabinet (no set), no
// reserved areas, folders of type none or MSZIP. Record sizes and the
// checksum are the engine's (uncab/cab_format.h), so writer and reader agree.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "uncab/cab_format.h"

const uint32_t kCabBlockSize = 32768;                 // uncompressed bytes per data block
const size_t kCabMaxNameLength = kCabMaxName - 1;    // bytes, without the terminating zero
const size_t kCabMaxFiles = 0xFFFF;
// Folder numbers 0xFFFD and up mark files continued across cabinets.
const size_t kCabMaxFolders = 0xFFFD;
// A folder counts its data blocks in 16 bits.
const uint64_t kCabMaxFolderBytes = uint64_t(0xFFFF) * kCabBlockSize;
// Package readers keep positions in signed 32-bit values.
const uint64_t kCabMaxFileBytes = 0x7FFFFFFF;

const uint16_t kCabTypeNone = 0;
const uint16_t kCabTypeMszip = 1;

// One CFDATA record (header and data) for `data`, which holds `uncompressed`
// bytes of folder input.
void Cab_AppendDataBlock(std::vector<uint8_t>* out, const uint8_t* data, size_t n,
                         unsigned uncompressed);

struct TCabFileRecord {
  uint32_t size;
  uint32_t offsetInFolder;
  uint16_t folder;
  uint16_t date, time, attribs;
  std::string name;
};

struct TCabFolderRecord {
  uint32_t firstBlockAt;  // cabinet offset of the folder's first CFDATA
  uint16_t blocks;
  uint16_t type;
};

// Bytes of CFHEADER, the CFFOLDER entries and the CFFILE entries.
uint32_t Cab_HeaderAreaSize(const std::vector<TCabFolderRecord>& folders,
                            const std::vector<TCabFileRecord>& files);
std::vector<uint8_t> Cab_HeaderArea(uint32_t cabinetSize, uint16_t setId,
                                    const std::vector<TCabFolderRecord>& folders,
                                    const std::vector<TCabFileRecord>& files);
