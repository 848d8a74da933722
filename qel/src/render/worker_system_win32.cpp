// The worker crew's lock and threads on the system's own threads, locks and condition variables.
// Under Wine these wait in the kernel directly, where the C++ runtime's condition variables (the
// POSIX layer over Windows semaphores) cost a trip to the Wine server on every wake.
#include <windows.h>

#include <new>

#include "render/worker_system.h"
#include "render/worker_thread.h"

struct qel_crew_lock {
    SRWLOCK mutex = SRWLOCK_INIT;
    CONDITION_VARIABLE woken = CONDITION_VARIABLE_INIT, done = CONDITION_VARIABLE_INIT;
};

struct qel_crew_thread {
    HANDLE handle;
    void (*life)(void* arg);
    void* arg;
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
    AcquireSRWLockExclusive(&lock->mutex);
}

void qel_crew_lock_give(qel_crew_lock* lock)
{
    ReleaseSRWLockExclusive(&lock->mutex);
}

void qel_crew_sleep_until_woken(qel_crew_lock* lock)
{
    SleepConditionVariableSRW(&lock->woken, &lock->mutex, INFINITE, 0);
}

void qel_crew_sleep_until_done(qel_crew_lock* lock)
{
    SleepConditionVariableSRW(&lock->done, &lock->mutex, INFINITE, 0);
}

void qel_crew_wake_all(qel_crew_lock* lock)
{
    WakeAllConditionVariable(&lock->woken);
}

void qel_crew_wake_done(qel_crew_lock* lock)
{
    WakeConditionVariable(&lock->done);
}

static DWORD WINAPI thread_main(void* arg)
{
    const qel_crew_thread* t = (const qel_crew_thread*)arg;
    t->life(t->arg);
    return 0;
}

qel_crew_thread* qel_crew_thread_start(void (*life)(void* arg), void* arg)
{
    qel_crew_thread* t = new (std::nothrow) qel_crew_thread{nullptr, life, arg};
    if (!t) return nullptr;
    t->handle = CreateThread(nullptr, 0, thread_main, t, 0, nullptr);
    if (t->handle) return t;
    delete t;
    return nullptr;
}

void qel_crew_thread_join(qel_crew_thread* thread)
{
    WaitForSingleObject(thread->handle, INFINITE);
    CloseHandle(thread->handle);
    delete thread;
}

int32_t qel_processor_count()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors ? (int32_t)info.dwNumberOfProcessors : 1;
}
