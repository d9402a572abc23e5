// What the setup program does for every product file: one engine copy that
// extracts a single named file. Times that for the cabinet's first and last
// files, in process, so start-up costs do not blur the comparison.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cab_reader.h"

static double MillisecondsPerPick(const TCabLocation& where, const std::string& name,
                                  const std::string& folder, int runs) {
  std::vector<TListedFile> got;
  std::string error;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < runs; i++) {
    if (!Reader_Extract(where, folder, {name}, &got, &error) || got.size() != 1) {
      std::fprintf(stderr, "bench_pick: %s\n", error.c_str());
      std::exit(1);
    }
  }
  std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  return took.count() / runs;
}

int main(int argc, char** argv) {
  if (argc != 4 && argc != 6) {
    std::fprintf(stderr, "usage: bench_pick PACKAGE|CABINET SCRATCH_DIR RUNS [FIRST LAST]\n");
    return 2;
  }
  TCabLocation where;
  std::vector<TListedFile> files;
  std::string error;
  if (!Reader_Locate(argv[1], &where, &error) || !Reader_List(where, &files, &error) || files.empty()) {
    std::fprintf(stderr, "bench_pick: %s\n", error.c_str());
    return 1;
  }
  int runs = std::atoi(argv[3]);
  std::string firstName = argc == 6 ? argv[4] : files.front().name;
  std::string lastName = argc == 6 ? argv[5] : files.back().name;
  // One warm-up of each, so both find the file in the page cache.
  MillisecondsPerPick(where, firstName, argv[2], 1);
  MillisecondsPerPick(where, lastName, argv[2], 1);
  double first = MillisecondsPerPick(where, firstName, argv[2], runs);
  double last = MillisecondsPerPick(where, lastName, argv[2], runs);
  std::printf("%zu %.3f %.3f %.2f\n", files.size(), first, last, last / first);
  return 0;
}
