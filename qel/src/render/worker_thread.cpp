// A crew of parked worker threads on the C++ runtime's threads. A run is a generation number:
// each thread runs its job once per generation it sees, and the last one done wakes the caller.
// Starting a thread costs milliseconds on some systems (under Wine), so threads are started once.
// Failures to start come back as fewer threads, never as exceptions.
#include "render/worker_thread.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

struct qel_worker_crew {
    std::mutex lock;
    std::condition_variable wake, done;
    uint64_t generation = 0;  // runs dispatched so far
    bool stopping = false;
    qel_thread_proc proc = nullptr;
    void* const* args = nullptr;
    int32_t jobs = 0;
    int32_t pending = 0;  // jobs of this run not yet returned
    std::vector<std::thread> threads;
};

static void crew_thread(qel_worker_crew* crew, int32_t index)
{
    uint64_t seen = 0;
    std::unique_lock<std::mutex> hold(crew->lock);
    for (;;) {
        crew->wake.wait(hold, [&] { return crew->stopping || crew->generation != seen; });
        if (crew->stopping) return;
        seen = crew->generation;
        if (index >= crew->jobs) continue;
        qel_thread_proc proc = crew->proc;
        void* arg = crew->args[index];
        hold.unlock();
        proc(arg);
        hold.lock();
        if (--crew->pending == 0) crew->done.notify_one();
    }
}

qel_worker_crew* qel_crew_start(int32_t count)
{
    qel_worker_crew* crew = new (std::nothrow) qel_worker_crew;
    if (!crew) return nullptr;
    try {
        crew->threads.reserve((size_t)std::max(count, 0));
        for (int32_t i = 0; i < count; i++) crew->threads.emplace_back(crew_thread, crew, i);
    } catch (...) {
        // The threads started so far make the crew.
    }
    if (crew->threads.empty()) {
        delete crew;
        return nullptr;
    }
    return crew;
}

int32_t qel_crew_size(const qel_worker_crew* crew)
{
    return (int32_t)crew->threads.size();
}

void qel_crew_dispatch(qel_worker_crew* crew, qel_thread_proc proc, void* const* args, int32_t jobs)
{
    {
        std::lock_guard<std::mutex> hold(crew->lock);
        crew->proc = proc;
        crew->args = args;
        crew->jobs = std::min(jobs, qel_crew_size(crew));
        crew->pending = crew->jobs;
        crew->generation++;
    }
    crew->wake.notify_all();
}

void qel_crew_wait(qel_worker_crew* crew)
{
    std::unique_lock<std::mutex> hold(crew->lock);
    crew->done.wait(hold, [&] { return crew->pending == 0; });
}

void qel_crew_stop(qel_worker_crew* crew)
{
    if (!crew) return;
    {
        std::lock_guard<std::mutex> hold(crew->lock);
        crew->stopping = true;
    }
    crew->wake.notify_all();
    for (std::thread& t : crew->threads) t.join();
    delete crew;
}

int32_t qel_processor_count()
{
    unsigned n = std::thread::hardware_concurrency();  // 0 when unknown
    return n ? (int32_t)std::min(n, 4096u) : 1;
}
