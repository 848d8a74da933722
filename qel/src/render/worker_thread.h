// Worker threads for renderers that split a frame between processors: a crew started once,
// parked between runs and woken for each, and the processor count. The crew runs on the system's
// locks and threads (worker_system.h); what runs on it is the caller's.
#pragma once

#include <cstdint>

struct qel_worker_crew;

typedef int (*qel_thread_proc)(void* arg);

// Starts up to count parked threads; fewer when the system refuses some, null when none start.
qel_worker_crew* qel_crew_start(int32_t count);

// The number of threads the crew has.
int32_t qel_crew_size(const qel_worker_crew* crew);

// Wakes the crew for one run: thread i runs proc(args[i]) for each i below jobs (at most the
// crew's size). The caller may work meanwhile and must wait before the next run; args stay its
// own and alive until then.
void qel_crew_dispatch(qel_worker_crew* crew, qel_thread_proc proc, void* const* args, int32_t jobs);

// Returns when every job of the run has returned; what the jobs wrote is then the caller's.
void qel_crew_wait(qel_worker_crew* crew);

// Wakes the threads to end and joins them; null is ignored.
void qel_crew_stop(qel_worker_crew* crew);

// Logical processors of the machine, at least 1.
int32_t qel_processor_count();
