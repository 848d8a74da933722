// What the worker crew needs of the system: one lock with two waits on it, threads that run a
// function until they are joined, and the processor count (worker_thread.h). worker_system.cpp
// has them on the C++ runtime, worker_system_win32.cpp on Windows's own, whose locks wake
// without a trip to the Wine server under Wine.
#pragma once

struct qel_crew_lock;
struct qel_crew_thread;

// A lock with two waits on it, one for a run to start and one for a run done; null when the
// system has no room for it.
qel_crew_lock* qel_crew_lock_create();
void qel_crew_lock_destroy(qel_crew_lock* lock);  // null is ignored
void qel_crew_lock_take(qel_crew_lock* lock);
void qel_crew_lock_give(qel_crew_lock* lock);
// Give the lock while asleep and take it again on waking.
void qel_crew_sleep_until_woken(qel_crew_lock* lock);
void qel_crew_sleep_until_done(qel_crew_lock* lock);
void qel_crew_wake_all(qel_crew_lock* lock);
void qel_crew_wake_done(qel_crew_lock* lock);

// A thread running life(arg); null when the system refuses one.
qel_crew_thread* qel_crew_thread_start(void (*life)(void* arg), void* arg);
// Waits for the thread to end and frees it.
void qel_crew_thread_join(qel_crew_thread* thread);
