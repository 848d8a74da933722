// The per-id state table: a hash table chained in index space, with a free list for slots of
// collected entries. The layout passes write last frame's rectangle into the entries.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qel/state.h"

struct qel_state_entry {
    uint32_t id;       // 0: free slot
    uint64_t touched;  // frame number of the last use
    float x, y, w, h;  // laid-out rectangle of the node with this id
    uint8_t rect_valid;
    uint64_t blob_size;
    void* blob;  // context allocation owned by the entry
    qel_state_destructor destructor;
    int32_t next;  // next in the bucket chain, or in the free list; -1 ends
};

struct qel_state_table {
    qel_state_entry* entries;
    int32_t count, capacity;
    int32_t* buckets;      // entry index per bucket, -1 empty
    int32_t bucket_count;  // a power of two
    int32_t free_head;
    // Id 0 names no item: what it asks for comes from one scratch block, zeroed every time.
    void* scratch;
    size_t scratch_size;
};

enum { QEL_STATE_INITIAL_BUCKETS = 1024 };

// An empty table with the first buckets.
void qel_state_init(qel_context* ctx);

// The id's entry, created when absent; either way stamped with the current frame. The id must
// not be 0.
qel_state_entry* qel_state_find_or_add(qel_context* ctx, uint32_t id);

// Rebuilds the chains over bucket_count buckets (a power of two).
void qel_state_rehash(qel_context* ctx, int32_t bucket_count);

// Drops the entries unused for their age limit, running their destructors, and compacts the
// array when it is large and mostly free. Run by the frame end every 60 frames.
void qel_state_collect(qel_context* ctx);

// Runs every destructor and frees all of the table; for context destruction.
void qel_state_release(qel_context* ctx);
