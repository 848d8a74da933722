// The id stack's record: the scopes that seed every id hash.
#pragma once

#include <cstdint>

#include "qel/id.h"
#include "stack_depth.h"

enum { QEL_ID_STACK_CAPACITY = 64 };

struct qel_id_stack {
    uint32_t id[QEL_ID_STACK_CAPACITY];
    qel_stack_depth depth;
    // Counter for automatic ids per level (level = depth; levels past 63 share the last one).
    uint32_t auto_counter[QEL_ID_STACK_CAPACITY];
};
