// The frame arena's record and the calls the frame cycle and the context make on it.
#pragma once

#include <cstdint>

#include "qel/arena.h"

struct qel_context;

struct qel_frame_arena {
    void* block;        // main block as allocated; its first 16-byte boundary is the base
    uint64_t used;      // bytes handed out this frame, overflow blocks included
    uint64_t capacity;  // bytes of the main block from its base
    void* overflow;     // overflow blocks, chained through their first word
};

// Frees the overflow blocks and, when the last frame needed more than the main block holds,
// replaces it by one that holds it all. Called at every frame begin.
void qel_arena_reset(qel_context* ctx);

// Frees all arena memory.
void qel_arena_release(qel_context* ctx);
