// Command lines of any shape split without fault: every argument is bounded,
// the splitting ends, and arguments past the last are empty.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/cmdline.h"
#include "app/run_mode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  line = line.c_str();  // the system hands over a zero-terminated line
  int empty = 0;
  for (int i = 1; i < 64 && empty < 3; i++) {
    TStr arg = CommandLineArgument(line.c_str(), i);
    if (arg.size() > size_t(kMaxArgumentLength)) abort();
    if (arg.size() > line.size()) abort();
    for (size_t k = 0; k < arg.size(); k++)
      if (arg[k] == '"' || arg[k] == 0) abort();  // quotes never reach an argument
    empty = arg.empty() ? empty + 1 : 0;
    ChooseRunMode(arg);
  }
  return 0;
}
