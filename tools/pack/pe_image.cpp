#include "pe_image.h"

namespace {

struct TReader {
  const std::vector<uint8_t>& b;
  bool ok = true;
  uint32_t U16(size_t at) {
    if (at + 2 > b.size()) { ok = false; return 0; }
    return uint32_t(b[at] | b[at + 1] << 8);
  }
  uint32_t U32(size_t at) {
    if (at + 4 > b.size()) { ok = false; return 0; }
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
  }
};

struct TSectionMap {
  uint32_t virtualAddress, virtualSize, rawAt, rawSize;
};

// File offset of a relative virtual address, or 0 when no section holds it.
size_t RvaToOffset(const std::vector<TSectionMap>& sections, uint32_t rva) {
  for (const TSectionMap& s : sections) {
    uint32_t span = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
    if (rva >= s.virtualAddress && rva - s.virtualAddress < span && rva - s.virtualAddress < s.rawSize)
      return size_t(s.rawAt) + (rva - s.virtualAddress);
  }
  return 0;
}

}  // namespace

std::string Pe_MachineText(uint16_t machine) {
  if (machine == kPeMachineI386) return "32-bit (i386)";
  if (machine == kPeMachineAmd64) return "64-bit (x86-64)";
  return "machine type " + std::to_string(machine);
}

bool Pe_Read(const std::vector<uint8_t>& image, TPeFacts* facts, std::string* why) {
  *facts = TPeFacts();
  TReader r{image};
  if (image.size() < 64 || image[0] != 'M' || image[1] != 'Z') {
    *why = "it is not a Windows program (no MZ header)";
    return false;
  }
  size_t pe = r.U32(0x3C);
  if (!r.ok || pe > image.size() || r.U32(pe) != 0x00004550u) {
    *why = "it is not a Windows program (no PE header)";
    return false;
  }
  facts->machine = uint16_t(r.U16(pe + 4));
  uint32_t sectionCount = r.U16(pe + 6);
  uint32_t optionalSize = r.U16(pe + 20);
  facts->isLibrary = (r.U16(pe + 22) & 0x2000) != 0;
  size_t opt = pe + 24;
  uint32_t magic = r.U16(opt);
  size_t directories = magic == 0x20B ? opt + 112 : opt + 96;
  uint32_t directoryCount = r.U32(magic == 0x20B ? opt + 108 : opt + 92);
  if (!r.ok || (magic != 0x10B && magic != 0x20B)) {
    *why = "its PE header is damaged";
    return false;
  }
  std::vector<TSectionMap> sections;
  size_t table = opt + optionalSize;
  for (uint32_t i = 0; i < sectionCount && i < 96; i++) {
    size_t at = table + 40 * size_t(i);
    sections.push_back({r.U32(at + 12), r.U32(at + 8), r.U32(at + 20), r.U32(at + 16)});
  }
  if (!r.ok) {
    *why = "its section table is cut short";
    return false;
  }
  if (directoryCount < 1 || r.U32(directories) == 0) return true;  // exports nothing
  size_t dir = RvaToOffset(sections, r.U32(directories));
  if (!dir) {
    *why = "its export table lies outside the file";
    return false;
  }
  uint32_t names = r.U32(dir + 24);
  size_t nameTable = RvaToOffset(sections, r.U32(dir + 32));
  if (!r.ok || (names && !nameTable) || names > 65536) {
    *why = "its export table is damaged";
    return false;
  }
  for (uint32_t i = 0; i < names; i++) {
    size_t at = RvaToOffset(sections, r.U32(nameTable + 4 * size_t(i)));
    if (!r.ok || !at) {
      *why = "its export table is damaged";
      return false;
    }
    std::string name;
    while (at < image.size() && image[at] && name.size() < 256) name += char(image[at++]);
    facts->exports.push_back(name);
  }
  return true;
}
