// The worker crew: threads parked between runs and woken for each. A run is a generation number:
// each thread runs its job once for each generation it sees, and the last one done wakes the
// caller. The locks and threads are the system's (worker_system.h).
#include "render/worker_thread.h"

#include <algorithm>
#include <new>

#include "render/worker_system.h"

enum { MAX_THREADS = 64 };

// What a thread is started with: its crew and its place in it.
struct crew_seat {
    qel_worker_crew* crew;
    int32_t index;
};

struct qel_worker_crew {
    qel_crew_lock* lock;
    uint64_t generation;  // runs dispatched so far
    bool stopping;
    qel_thread_proc proc;
    void* const* args;
    int32_t jobs;
    int32_t pending;  // jobs of this run not yet returned
    int32_t size;     // threads started
    qel_crew_thread* threads[MAX_THREADS];
    crew_seat seats[MAX_THREADS];
};

// The life of a crew thread: parked until a run or the stop, its job if the run has one.
static void thread_life(void* arg)
{
    const crew_seat* seat = (const crew_seat*)arg;
    qel_worker_crew* crew = seat->crew;
    uint64_t seen = 0;
    qel_crew_lock_take(crew->lock);
    for (;;) {
        while (!crew->stopping && crew->generation == seen) qel_crew_sleep_until_woken(crew->lock);
        if (crew->stopping) break;
        seen = crew->generation;
        if (seat->index >= crew->jobs) continue;
        qel_thread_proc proc = crew->proc;
        void* job = crew->args[seat->index];
        qel_crew_lock_give(crew->lock);
        proc(job);
        qel_crew_lock_take(crew->lock);
        if (--crew->pending == 0) qel_crew_wake_done(crew->lock);
    }
    qel_crew_lock_give(crew->lock);
}

qel_worker_crew* qel_crew_start(int32_t count)
{
    qel_worker_crew* crew = new (std::nothrow) qel_worker_crew{};
    if (!crew) return nullptr;
    crew->lock = qel_crew_lock_create();
    for (int32_t n = std::min(count, (int32_t)MAX_THREADS); crew->lock && crew->size < n; crew->size++) {
        crew->seats[crew->size] = {crew, crew->size};
        crew->threads[crew->size] = qel_crew_thread_start(thread_life, &crew->seats[crew->size]);
        if (!crew->threads[crew->size]) break;  // the threads started so far make the crew
    }
    if (crew->size) return crew;
    qel_crew_lock_destroy(crew->lock);
    delete crew;
    return nullptr;
}

int32_t qel_crew_size(const qel_worker_crew* crew)
{
    return crew->size;
}

void qel_crew_dispatch(qel_worker_crew* crew, qel_thread_proc proc, void* const* args, int32_t jobs)
{
    qel_crew_lock_take(crew->lock);
    crew->proc = proc;
    crew->args = args;
    crew->jobs = std::clamp(jobs, 0, crew->size);
    crew->pending = crew->jobs;
    crew->generation++;
    qel_crew_lock_give(crew->lock);
    qel_crew_wake_all(crew->lock);
}

void qel_crew_wait(qel_worker_crew* crew)
{
    qel_crew_lock_take(crew->lock);
    while (crew->pending) qel_crew_sleep_until_done(crew->lock);
    qel_crew_lock_give(crew->lock);
}

void qel_crew_stop(qel_worker_crew* crew)
{
    if (!crew) return;
    qel_crew_lock_take(crew->lock);
    crew->stopping = true;
    qel_crew_lock_give(crew->lock);
    qel_crew_wake_all(crew->lock);
    for (int32_t i = 0; i < crew->size; i++) qel_crew_thread_join(crew->threads[i]);
    qel_crew_lock_destroy(crew->lock);
    delete crew;
}
