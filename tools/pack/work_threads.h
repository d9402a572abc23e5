// A tiny thread layer: run one job on several threads and wait for all of
// them. Native builds use std::thread (work_threads.cpp); the Windows console
// build has no std::thread in its toolchain and uses the system's threads
// (work_threads_win.cpp).
#pragma once

typedef void (*WorkJob)(void* context, unsigned worker);

// Calls job(context, w) for w = 0 .. threads-1, each on its own thread (w = 0
// on the calling one), and returns when all have returned. Falls back to
// fewer threads (down to the calling one alone) when the system cannot start
// more; the job must therefore share out its work dynamically, not by `w`.
void Work_RunOnThreads(unsigned threads, WorkJob job, void* context);

// Processors available to this process, at least 1.
unsigned Work_ProcessorCount();
