// The worker crew on the system's threads, locks and condition variables. Under Wine these wait
// in the kernel directly, where the C++ runtime's condition variables (the POSIX layer over
// Windows semaphores) cost a trip to the Wine server on every wake.
#include <windows.h>

#include <new>

#include "render/worker_crew.h"
#include "render/worker_thread.h"

namespace {

struct system_sync {
    SRWLOCK mutex = SRWLOCK_INIT;
    CONDITION_VARIABLE woken = CONDITION_VARIABLE_INIT, done = CONDITION_VARIABLE_INIT;
    void lock() { AcquireSRWLockExclusive(&mutex); }
    void unlock() { ReleaseSRWLockExclusive(&mutex); }
    void sleep_until_woken() { SleepConditionVariableSRW(&woken, &mutex, INFINITE, 0); }
    void sleep_until_done() { SleepConditionVariableSRW(&done, &mutex, INFINITE, 0); }
    void wake_all() { WakeAllConditionVariable(&woken); }
    void wake_done() { WakeConditionVariable(&done); }
};

}  // namespace

// What a thread is started with: its crew and its place in it.
struct qel_crew_seat {
    qel_crew_state<system_sync>* state;
    int32_t index;
};

struct qel_worker_crew {
    qel_crew_state<system_sync> state;
    HANDLE threads[QEL_CREW_MAX_THREADS];
    qel_crew_seat seats[QEL_CREW_MAX_THREADS];
};

static DWORD WINAPI crew_thread(void* arg)
{
    const qel_crew_seat* seat = (const qel_crew_seat*)arg;
    qel_crew_thread_life(seat->state, seat->index);
    return 0;
}

qel_worker_crew* qel_crew_start(int32_t count)
{
    qel_worker_crew* crew = new (std::nothrow) qel_worker_crew;
    if (!crew) return nullptr;
    qel_crew_state<system_sync>* state = &crew->state;
    for (; state->size < std::min(count, (int32_t)QEL_CREW_MAX_THREADS); state->size++) {
        crew->seats[state->size] = {state, state->size};
        crew->threads[state->size] = CreateThread(nullptr, 0, crew_thread, &crew->seats[state->size], 0, nullptr);
        if (!crew->threads[state->size]) break;  // the threads started so far make the crew
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
    for (int32_t i = 0; i < crew->state.size; i++) {
        WaitForSingleObject(crew->threads[i], INFINITE);
        CloseHandle(crew->threads[i]);
    }
    delete crew;
}

int32_t qel_processor_count()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors ? (int32_t)info.dwNumberOfProcessors : 1;
}
