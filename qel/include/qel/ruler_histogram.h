// Numeric range widgets: the ruler dial, a large value above a tick ruler that slides under a
// fixed centre mark (dragged with fling and overscroll, turned by the wheel, stepped by keys,
// snapped to a step); and the range histogram, the caller's bins above a two-thumb range slider
// with the bins inside the chosen range coloured.
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

// Options of qel_range_histogram; null means all defaults.
struct qel_range_histogram_options {
    uint32_t reserved;   // not read
    float height;        // of the bars; <= 0 or not a number: 56
    const char* format;  // printf format of one double for low and high; null: "%.0f"
};

// --- Ruler dial ---

// Edits *value within min..max (max <= min counts as min + 1; bounds that are not numbers count as
// 0 and 1) in steps from min. Returns 1 when *value differs from its value at entry.
int32_t qel_ruler_dial(qel_context* ctx, const char* label, float* value, float min, float max,
                       const qel_ruler_options* options);

// --- Range histogram ---

// count bins (negative ones and those that are no number count as 0) drawn as bars from min to
// max (max <= min counts as min + 1) over a range slider editing *low and *high. Returns 1 when
// either changed.
int32_t qel_range_histogram(qel_context* ctx, const char* label, const float* bins, int32_t count, float* low,
                            float* high, float min, float max, const qel_range_histogram_options* options);
