// Numeric range widgets: the ruler dial, a large value above a tick ruler that slides under a
// fixed centre mark (dragged with fling and overscroll, turned by the wheel, stepped by keys,
// snapped to a step).
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_ruler_dial; null means all defaults.
struct qel_ruler_options {
    uint32_t reserved;      // not read
    float step;             // <= 0 or not a number: 1
    int32_t major_every;    // a labelled major tick every N steps; < 1: 10
    float pixels_per_step;  // tick spacing; <= 0 or not a number: 9
    const char* format;     // printf format of one double for the value and labels; null: "%.0f"
    const char* unit;       // after the value; null: none
    qel_size width;         // kind fit: grow 1
};

// --- Ruler dial ---

// Edits *value within min..max (max <= min counts as min + 1; bounds that are not numbers count as
// 0 and 1) in steps from min. Returns 1 when *value differs from its value at entry.
int32_t qel_ruler_dial(qel_context* ctx, const char* label, float* value, float min, float max,
                       const qel_ruler_options* options);
