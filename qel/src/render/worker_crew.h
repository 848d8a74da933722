// The worker crew's bookkeeping, shared by its two homes: the C++ runtime's threads and, on
// Windows, the system's own (whose locks do not cost a trip to the Wine server under Wine). A
// run is a generation number: each thread runs its job once for each generation it sees, and
// the last one done wakes the caller. Sync supplies one lock and two waits on it: lock, unlock,
// sleep_until_woken, wake_all, sleep_until_done, wake_done.
#pragma once

#include <algorithm>
#include <cstdint>

#include "render/worker_thread.h"

enum { QEL_CREW_MAX_THREADS = 64 };

template <typename Sync>
struct qel_crew_state {
    Sync sync;
    uint64_t generation = 0;  // runs dispatched so far
    bool stopping = false;
    qel_thread_proc proc = nullptr;
    void* const* args = nullptr;
    int32_t jobs = 0;
    int32_t pending = 0;  // jobs of this run not yet returned
    int32_t size = 0;     // threads started
};

// The life of crew thread `index`: parked until a run or the stop, its job if the run has one.
template <typename Sync>
void qel_crew_thread_life(qel_crew_state<Sync>* crew, int32_t index)
{
    uint64_t seen = 0;
    crew->sync.lock();
    for (;;) {
        while (!crew->stopping && crew->generation == seen) crew->sync.sleep_until_woken();
        if (crew->stopping) break;
        seen = crew->generation;
        if (index >= crew->jobs) continue;
        qel_thread_proc proc = crew->proc;
        void* arg = crew->args[index];
        crew->sync.unlock();
        proc(arg);
        crew->sync.lock();
        if (--crew->pending == 0) crew->sync.wake_done();
    }
    crew->sync.unlock();
}

template <typename Sync>
void qel_crew_state_dispatch(qel_crew_state<Sync>* crew, qel_thread_proc proc, void* const* args, int32_t jobs)
{
    crew->sync.lock();
    crew->proc = proc;
    crew->args = args;
    crew->jobs = std::clamp(jobs, 0, crew->size);
    crew->pending = crew->jobs;
    crew->generation++;
    crew->sync.unlock();
    crew->sync.wake_all();
}

template <typename Sync>
void qel_crew_state_wait(qel_crew_state<Sync>* crew)
{
    crew->sync.lock();
    while (crew->pending) crew->sync.sleep_until_done();
    crew->sync.unlock();
}

// Asks every thread to end; the caller joins them.
template <typename Sync>
void qel_crew_state_stop(qel_crew_state<Sync>* crew)
{
    crew->sync.lock();
    crew->stopping = true;
    crew->sync.unlock();
    crew->sync.wake_all();
}
