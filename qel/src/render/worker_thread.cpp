// The worker crew on the C++ runtime's threads, for systems other than Windows. Failures to
// start come back as fewer threads, never as exceptions.
#include "render/worker_thread.h"

#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

#include "render/worker_crew.h"

namespace {

struct runtime_sync {
    std::mutex mutex;
    std::condition_variable woken, done;
    void lock() { mutex.lock(); }
    void unlock() { mutex.unlock(); }
    void sleep_until_woken() { wait_on(woken); }
    void sleep_until_done() { wait_on(done); }
    void wake_all() { woken.notify_all(); }
    void wake_done() { done.notify_one(); }

    // Waits with the mutex the caller holds, and holds it again afterwards.
    void wait_on(std::condition_variable& c)
    {
        std::unique_lock<std::mutex> held(mutex, std::adopt_lock);
        c.wait(held);
        held.release();
    }
};

}  // namespace

struct qel_worker_crew {
    qel_crew_state<runtime_sync> state;
    std::thread threads[QEL_CREW_MAX_THREADS];
};

qel_worker_crew* qel_crew_start(int32_t count)
{
    qel_worker_crew* crew = new (std::nothrow) qel_worker_crew;
    if (!crew) return nullptr;
    qel_crew_state<runtime_sync>* state = &crew->state;
    try {
        for (; state->size < std::min(count, (int32_t)QEL_CREW_MAX_THREADS); state->size++)
            crew->threads[state->size] = std::thread(qel_crew_thread_life<runtime_sync>, state, state->size);
    } catch (...) {
        // The threads started so far make the crew.
    }
    if (state->size) return crew;
    delete crew;
    return nullptr;
}

int32_t qel_crew_size(const qel_worker_crew* crew)
{
    return crew->state.size;
}

void qel_crew_dispatch(qel_worker_crew* crew, qel_thread_proc proc, void* const* args, int32_t jobs)
{
    qel_crew_state_dispatch(&crew->state, proc, args, jobs);
}

void qel_crew_wait(qel_worker_crew* crew)
{
    qel_crew_state_wait(&crew->state);
}

void qel_crew_stop(qel_worker_crew* crew)
{
    if (!crew) return;
    qel_crew_state_stop(&crew->state);
    for (int32_t i = 0; i < crew->state.size; i++) crew->threads[i].join();
    delete crew;
}

int32_t qel_processor_count()
{
    unsigned n = std::thread::hardware_concurrency();  // 0 when unknown
    return n ? (int32_t)std::min(n, 4096u) : 1;
}
