// The native thread layer. (The Windows build uses work_threads_win.cpp.)
#include "work_threads.h"

#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

struct TWorkThreads {
  std::vector<std::thread> threads;
};

struct TWorkSemaphore {
  std::mutex lock;
  std::condition_variable changed;
  unsigned long count = 0;
};

TWorkThreads* Work_Start(unsigned count, WorkJob job, void* context) {
  TWorkThreads* t = new TWorkThreads;
  for (unsigned i = 0; i < count; i++) {
    try {
      t->threads.emplace_back(job, context);
    } catch (const std::system_error&) {
      break;
    }
  }
  return t;
}

unsigned Work_Started(const TWorkThreads* t) { return unsigned(t->threads.size()); }

void Work_Join(TWorkThreads* t) {
  for (std::thread& th : t->threads) th.join();
  delete t;
}

TWorkSemaphore* Work_NewSemaphore() { return new (std::nothrow) TWorkSemaphore; }

void Work_Post(TWorkSemaphore* s, unsigned count) {
  {
    std::lock_guard<std::mutex> hold(s->lock);
    s->count += count;
  }
  if (count == 1) s->changed.notify_one();
  else s->changed.notify_all();
}

void Work_Wait(TWorkSemaphore* s) {
  std::unique_lock<std::mutex> hold(s->lock);
  s->changed.wait(hold, [s] { return s->count > 0; });
  s->count--;
}

void Work_FreeSemaphore(TWorkSemaphore* s) { delete s; }

unsigned Work_ProcessorCount() {
  unsigned n = std::thread::hardware_concurrency();
  return n ? n : 1;
}
