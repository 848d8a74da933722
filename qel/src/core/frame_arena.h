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

// Replaces a main block much larger than mark bytes (the most a recent frame used) by a smaller
// one: 64 KiB, or the least 64 KiB times a power of two that holds twice the mark. Only between
// frames and without overflow blocks.
void qel_arena_trim(qel_context* ctx, uint64_t mark);

// Frees all arena memory.
void qel_arena_release(qel_context* ctx);
