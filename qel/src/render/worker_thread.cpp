// Worker threads on the C++ runtime's threads; failures to start come back as null, never as
// exceptions.
#include "render/worker_thread.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <thread>

struct qel_thread {
    std::thread thread;
};

qel_thread* qel_thread_start(qel_thread_proc proc, void* arg)
{
    qel_thread* t = new (std::nothrow) qel_thread;
    if (!t) return nullptr;
    try {
        t->thread = std::thread(proc, arg);
    } catch (const std::system_error&) {
        delete t;
        return nullptr;
    }
    return t;
}

void qel_thread_join(qel_thread* thread)
{
    if (!thread) return;
    thread->thread.join();
    delete thread;
}

int32_t qel_processor_count()
{
    unsigned n = std::thread::hardware_concurrency();  // 0 when unknown
    return n ? (int32_t)std::min(n, 4096u) : 1;
}
