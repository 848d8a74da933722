// Worker threads for renderers that split a frame between processors: start, join and the
// processor count. Portable over the C++ runtime's threads; what runs on them is the caller's.
#pragma once

#include <cstdint>

struct qel_thread;

typedef int (*qel_thread_proc)(void* arg);

// Runs proc(arg) on a new thread; null when no thread could be started.
qel_thread* qel_thread_start(qel_thread_proc proc, void* arg);

// Waits for the thread to end and releases it; null is ignored.
void qel_thread_join(qel_thread* thread);

// Logical processors of the machine, at least 1.
int32_t qel_processor_count();
