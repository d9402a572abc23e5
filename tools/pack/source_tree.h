// The product files of a source folder, as a cabinet will store them.
#pragma once
#include <string>
#include <vector>

#include "cab_writer.h"

// Name of the setup script every package must carry.
extern const char kSetupScriptName[];  // "KESTIN\kestin.ini"

// Collects every file under `root` (folders followed, links to files and to
// folders too, loops refused) with stored names relative to it, sorted by
// their upper-cased name so the same tree always gives the same cabinet.
// Files whose identity is in `skip` (the package being written over) are left
// out. Fails, naming the path, on an unreadable folder, a name Windows could
// not hold, a special file (device, pipe, socket), two names that differ in
// letter case only, or a missing setup script.
bool Source_Collect(const std::string& root, const std::vector<std::string>& skip,
                    std::vector<TCabInput>* files, std::string* error);
