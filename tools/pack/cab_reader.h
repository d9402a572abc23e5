// `kestin-pack list` and `extract`: reading packages and cabinets through the
// cabinet engine (the same code uncab.dll carries), with file callbacks that
// see the cabinet through a window onto the file and undo the scrambling.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Where a cabinet lies.
struct TCabLocation {
  std::string path;        // the file that holds it
  uint64_t offset = 0;     // where it starts in that file
  bool scrambled = false;  // its first 128 bytes are stored scrambled
  bool isPackage = false;
};

// Recognises a plain cabinet, a scrambled cabinet file (a package's separate
// cabinet) or a package (through its version values kestin and cabnam; a
// separate cabinet is looked for relative to the package's folder).
bool Reader_Locate(const std::string& path, TCabLocation* where, std::string* error);

struct TListedFile {
  std::string name;  // as stored
  uint32_t size = 0;
  uint16_t date = 0, time = 0, attribs = 0;
};

// Lists the files; a failure says "truncated" when the cabinet is shorter
// than its header declares.
bool Reader_List(const TCabLocation& where, std::vector<TListedFile>* entries, std::string* error);

// Decodes every file and checks every block checksum and length, writing
// nothing. A failure names the damaged file; a cabinet that declares no files
// or no folders is refused.
bool Reader_Test(const TCabLocation& where, std::vector<TListedFile>* tested, std::string* error);

// Extracts every file under `folder` (created when missing), or only those
// named in `only` (compared as the setup program compares, ASCII letter case
// ignored; '/' taken for '\'). All stored names are checked first; one that
// could reach outside the folder or a device refuses the whole extraction
// before anything is written. A file that fails half-way is removed.
bool Reader_Extract(const TCabLocation& where, const std::string& folder,
                    const std::vector<std::string>& only, std::vector<TListedFile>* extracted,
                    std::string* error);
