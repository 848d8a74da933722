// The id stack's record: the scopes that seed every id hash.
#pragma once

#include <cstdint>

#include "qel/id.h"
#include "core/stack_depth.h"

enum { QEL_ID_STACK_CAPACITY = 64 };

struct qel_id_stack {
    uint32_t id[QEL_ID_STACK_CAPACITY];
    qel_stack_depth depth;
    // Counter for automatic ids per level (level = depth; levels past 63 share the last one).
    uint32_t auto_counter[QEL_ID_STACK_CAPACITY];
};

// The innermost scope's id, or empty_seed when no scope is open.
inline uint32_t qel_id_stack_top(const qel_id_stack* s, uint32_t empty_seed)
{
    return s->depth.depth > 0 ? s->id[s->depth.depth - 1] : empty_seed;
}

// The automatic-id counter of the current level.
inline uint32_t* qel_id_stack_counter(qel_id_stack* s)
{
    int32_t level = s->depth.depth < QEL_ID_STACK_CAPACITY ? s->depth.depth : QEL_ID_STACK_CAPACITY - 1;
    return &s->auto_counter[level];
}
