#include <windows.h>

#include "work_threads.h"

#include <vector>

namespace {
struct TThreadStart {
  WorkJob job;
  void* context;
  unsigned worker;
};

DWORD WINAPI ThreadMain(void* p) {
  TThreadStart* s = (TThreadStart*)p;
  s->job(s->context, s->worker);
  return 0;
}
}  // namespace

void Work_RunOnThreads(unsigned threads, WorkJob job, void* context) {
  std::vector<TThreadStart> starts(threads);
  std::vector<HANDLE> handles;
  for (unsigned w = 1; w < threads; w++) {
    starts[w] = {job, context, w};
    HANDLE h = CreateThread(nullptr, 0, ThreadMain, &starts[w], 0, nullptr);
    if (!h) break;
    handles.push_back(h);
  }
  job(context, 0);
  for (HANDLE h : handles) {
    WaitForSingleObject(h, INFINITE);
    CloseHandle(h);
  }
}

unsigned Work_ProcessorCount() {
  DWORD_PTR process = 0, system = 0;
  unsigned n = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system))
    for (; process; process &= process - 1) n++;
  return n ? n : 1;
}
