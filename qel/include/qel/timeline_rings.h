// Timeline entries and progress rings: a round icon badge on a rail with a connector down to the
// next entry beside a title, time and description; and a circular progress ring with the
// percentage in its middle. Colours are theme tokens resolved when drawn; layout is the caller's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_timeline_entry; null means all defaults.
struct qel_timeline_opts {
    uint64_t reserved;
    const char* description;  // null: none
    const char* time;         // null: none
    const char* icon;         // null: U+E44F
    uint32_t kind;            // qel_semantic; 0: neutral
    uint8_t last;             // the final entry: no connector, no bottom spacing
};

// What a ring's draw callback paints (frame arena).
struct qel_ring_record {
    float value;        // as shown
    const char* label;  // null: none
};

// --- Timeline ---

void qel_timeline_entry(qel_context* ctx, const char* title, const qel_timeline_opts* options);

// --- Progress rings ---

// A ring of size x size (<= 0: 96) filled to value, clamped to 0..1 and eased there; the label's
// visible part, when not empty, shows under the percentage and the label names the id.
void qel_progress_ring(qel_context* ctx, const char* label, float value, float size);

// user points to a qel_ring_record.
void qel_ring_draw(qel_context* ctx, const qel_node* node, void* user);
