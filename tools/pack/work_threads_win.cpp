#include <windows.h>

#include "work_threads.h"

#include <climits>
#include <vector>

struct TWorkThreads {
  WorkJob job;
  void* context;
  std::vector<HANDLE> handles;
};

struct TWorkSemaphore {
  HANDLE handle;
};

static DWORD WINAPI ThreadMain(void* p) {
  TWorkThreads* t = (TWorkThreads*)p;
  t->job(t->context);
  return 0;
}

TWorkThreads* Work_Start(unsigned count, WorkJob job, void* context) {
  TWorkThreads* t = new TWorkThreads;
  t->job = job;
  t->context = context;
  for (unsigned i = 0; i < count; i++) {
    HANDLE h = CreateThread(nullptr, 0, ThreadMain, t, 0, nullptr);
    if (!h) break;
    t->handles.push_back(h);
  }
  return t;
}

unsigned Work_Started(const TWorkThreads* t) { return unsigned(t->handles.size()); }

void Work_Join(TWorkThreads* t) {
  for (HANDLE h : t->handles) {
    WaitForSingleObject(h, INFINITE);
    CloseHandle(h);
  }
  delete t;
}

TWorkSemaphore* Work_NewSemaphore() {
  HANDLE h = CreateSemaphoreA(nullptr, 0, LONG_MAX, nullptr);
  if (!h) return nullptr;
  return new TWorkSemaphore{h};
}

void Work_Post(TWorkSemaphore* s, unsigned count) { ReleaseSemaphore(s->handle, LONG(count), nullptr); }

void Work_Wait(TWorkSemaphore* s) { WaitForSingleObject(s->handle, INFINITE); }

void Work_FreeSemaphore(TWorkSemaphore* s) {
  CloseHandle(s->handle);
  delete s;
}

unsigned Work_ProcessorCount() {
  DWORD_PTR process = 0, system = 0;
  unsigned n = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system))
    for (; process; process &= process - 1) n++;
  return n ? n : 1;
}
