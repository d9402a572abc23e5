// A tiny thread layer: start worker threads, join them, and a counting
// semaphore to wake them. Native builds use the C++ library
// (work_threads.cpp); the Windows console build has no std::thread in its
// toolchain and uses the system's threads (work_threads_win.cpp).
#pragma once

typedef void (*WorkJob)(void* context);

struct TWorkThreads;
struct TWorkSemaphore;

// Starts up to `count` threads running job(context). The system may grant
// fewer, even none; Work_Started says how many run, and the caller must get
// its work done with any number.
TWorkThreads* Work_Start(unsigned count, WorkJob job, void* context);
unsigned Work_Started(const TWorkThreads* threads);
// Waits for every started thread to return, then frees `threads`.
void Work_Join(TWorkThreads* threads);

// A counting semaphore, starting at 0. Null when the system has none to give.
TWorkSemaphore* Work_NewSemaphore();
void Work_Post(TWorkSemaphore* s, unsigned count);
void Work_Wait(TWorkSemaphore* s);  // takes one count, waiting for it
void Work_FreeSemaphore(TWorkSemaphore* s);

// Processors available to this process, at least 1.
unsigned Work_ProcessorCount();
