// The native thread layer. (The Windows build uses work_threads_win.cpp.)
#include "work_threads.h"

#include <system_error>
#include <thread>
#include <vector>

void Work_RunOnThreads(unsigned threads, WorkJob job, void* context) {
  std::vector<std::thread> others;
  for (unsigned w = 1; w < threads; w++) {
    try {
      others.emplace_back(job, context, w);
    } catch (const std::system_error&) {
      break;
    }
  }
  job(context, 0);
  for (std::thread& t : others) t.join();
}

unsigned Work_ProcessorCount() {
  unsigned n = std::thread::hardware_concurrency();
  return n ? n : 1;
}
