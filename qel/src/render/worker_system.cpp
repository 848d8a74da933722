// The worker crew's lock and threads on the C++ runtime, for systems other than Windows. A thread
// the system refuses comes back as none, never as an exception.
#include "render/worker_system.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <new>
#include <thread>

#include "render/worker_thread.h"

struct qel_crew_lock {
    std::mutex mutex;
    std::condition_variable woken, done;
};

struct qel_crew_thread {
    std::thread thread;
};

qel_crew_lock* qel_crew_lock_create()
{
    return new (std::nothrow) qel_crew_lock;
}

void qel_crew_lock_destroy(qel_crew_lock* lock)
{
    delete lock;
}

void qel_crew_lock_take(qel_crew_lock* lock)
{
    lock->mutex.lock();
}

void qel_crew_lock_give(qel_crew_lock* lock)
{
    lock->mutex.unlock();
}

// Waits with the mutex the caller holds, and holds it again afterwards.
static void wait_on(qel_crew_lock* lock, std::condition_variable& c)
{
    std::unique_lock<std::mutex> held(lock->mutex, std::adopt_lock);
    c.wait(held);
    held.release();
}

void qel_crew_sleep_until_woken(qel_crew_lock* lock)
{
    wait_on(lock, lock->woken);
}

void qel_crew_sleep_until_done(qel_crew_lock* lock)
{
    wait_on(lock, lock->done);
}

void qel_crew_wake_all(qel_crew_lock* lock)
{
    lock->woken.notify_all();
}

void qel_crew_wake_done(qel_crew_lock* lock)
{
    lock->done.notify_one();
}

qel_crew_thread* qel_crew_thread_start(void (*life)(void* arg), void* arg)
{
    qel_crew_thread* t = new (std::nothrow) qel_crew_thread;
    if (!t) return nullptr;
    try {
        t->thread = std::thread(life, arg);
    } catch (...) {
        delete t;
        return nullptr;
    }
    return t;
}

void qel_crew_thread_join(qel_crew_thread* thread)
{
    thread->thread.join();
    delete thread;
}

int32_t qel_processor_count()
{
    unsigned n = std::thread::hardware_concurrency();  // 0 when unknown
    return n ? (int32_t)std::min(n, 4096u) : 1;
}
